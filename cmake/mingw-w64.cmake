# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the posix
# thread model, package g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Programs are linked statically (see CMakeLists.txt) and run under Wine.
# With the Qt that scripts/build-windows builds, this file is loaded through
# Qt's own toolchain file (QT_CHAINLOAD_TOOLCHAIN_FILE).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)

# ctest runs the test programs through Wine (scripts/wine-run: a prefix of
# its own in the build folder, no X server).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
endif()
