# Debian's MinGW-w64 cross compilers, as the build environment has them: every compile and link
# runs there (cmake/build-environment), whatever machine runs CMake.
set(PLIVEX_TOOLS ${CMAKE_CURRENT_LIST_DIR}/../build-environment)
set(CMAKE_CXX_COMPILER ${PLIVEX_TOOLS}/${PLIVEX_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PLIVEX_TOOLS}/${PLIVEX_TRIPLET}-windres)
set(CMAKE_AR ${PLIVEX_TOOLS}/${PLIVEX_TRIPLET}-ar)
set(CMAKE_RANLIB ${PLIVEX_TOOLS}/${PLIVEX_TRIPLET}-ranlib)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
