# Cross-compiling the 32-bit Windows program with mingw-w64 (Debian package
# g++-mingw-w64-i686):  cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake ...
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VIMRA_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
