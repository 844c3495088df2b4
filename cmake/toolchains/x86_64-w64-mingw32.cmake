# Debian's MinGW-w64 cross compiler for 64-bit Windows. The tool links statically and uses no
# threads, so either thread model serves; the posix one is the one both MinGW builds use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(PLIVEX_TRIPLET x86_64-w64-mingw32)
set(PLIVEX_ARCH x64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
