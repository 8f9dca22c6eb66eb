# keyer_json: nlohmann-json, header-only, the same header in every build.
# The build machine's copy serves the cross builds too (Windows, the web):
# they see its nlohmann/ folder alone, linked into the build tree, never the
# rest of the build machine's include folder.
find_path(KEYER_NLOHMANN_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT KEYER_NLOHMANN_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev (or set KEYER_NLOHMANN_JSON_INCLUDE)")
endif()

add_library(keyer_json INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(keyer_json_dir ${CMAKE_BINARY_DIR}/third_party/nlohmann_json)
  file(MAKE_DIRECTORY ${keyer_json_dir})
  file(CREATE_LINK ${KEYER_NLOHMANN_JSON_INCLUDE}/nlohmann ${keyer_json_dir}/nlohmann COPY_ON_ERROR SYMBOLIC)
  target_include_directories(keyer_json SYSTEM INTERFACE ${keyer_json_dir})
else()
  target_include_directories(keyer_json SYSTEM INTERFACE ${KEYER_NLOHMANN_JSON_INCLUDE})
endif()
