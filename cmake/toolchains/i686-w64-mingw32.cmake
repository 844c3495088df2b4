# Debian's MinGW-w64 cross compiler for 32-bit Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(PLIVEX_TRIPLET i686-w64-mingw32)
set(PLIVEX_ARCH x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
