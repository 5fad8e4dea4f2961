# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the posix
# thread model, package g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Programs are linked statically (see CMakeLists.txt) and run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAMBRIL_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TAMBRIL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMBRIL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMBRIL_MINGW_PREFIX}-windres)
set(CMAKE_AR ${TAMBRIL_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TAMBRIL_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TAMBRIL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the test programs through Wine (scripts/wine-run: a prefix of
# its own in the build folder, no X server).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
endif()
