# What the mingw-w64 toolchain files share; each sets CMAKE_SYSTEM_PROCESSOR
# and VIMRA_MINGW_PREFIX, then includes this.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model, for std::thread and std::mutex in the C++ runtime.
find_program(CMAKE_C_COMPILER NAMES ${VIMRA_MINGW_PREFIX}-gcc-posix ${VIMRA_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VIMRA_MINGW_PREFIX}-g++-posix ${VIMRA_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VIMRA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VIMRA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The C and C++ runtimes go into every executable and DLL: none needs a DLL
# that a stock Windows lacks (mingw links a DLL's runtime as a DLL unless told).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
