# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers: the posix thread
# model (g++-mingw-w64-x86-64-posix), the one the prebuilt Qt was built with, so programs
# need libwinpthread-1.dll beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LINTAVO_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${LINTAVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LINTAVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LINTAVO_MINGW_TRIPLET}-windres)
set(CMAKE_AR /usr/bin/${LINTAVO_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${LINTAVO_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

# Libraries, headers and CMake packages come from the MinGW sysroot and the prefixes the
# caller adds (Qt for MinGW); programs (moc, rcc, uic) from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${LINTAVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
