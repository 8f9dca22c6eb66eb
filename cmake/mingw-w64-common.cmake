# What both MinGW-w64 toolchains share; each sets KEYER_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: std::thread and std::atomic work; -static keeps its runtime inside the .exe.
set(CMAKE_C_COMPILER ${KEYER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEYER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KEYER_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KEYER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
