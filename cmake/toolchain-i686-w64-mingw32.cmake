# Cross-compiling the Windows program with MinGW-w64 (i686).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KEYER_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
