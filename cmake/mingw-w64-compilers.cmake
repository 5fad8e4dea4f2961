# The compilers and search paths of Debian's MinGW-w64 cross compiler (the
# posix thread model, package g++-mingw-w64-x86-64-posix), nothing more:
# scripts/build-windows builds Qt for Windows with this file, and
# cmake/mingw-w64.cmake builds the program with it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAMBRIL_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TAMBRIL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMBRIL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMBRIL_MINGW_PREFIX}-windres)
set(CMAKE_AR ${TAMBRIL_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TAMBRIL_MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP ${TAMBRIL_MINGW_PREFIX}-strip CACHE FILEPATH "")

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TAMBRIL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
