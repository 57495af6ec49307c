# Cross-compiling the 64-bit Windows program with mingw-w64 (Debian package
# g++-mingw-w64-x86-64):  cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake ...
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VIMRA_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
