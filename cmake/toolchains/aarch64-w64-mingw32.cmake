# Clang for Windows on Arm (ARM64), as the build environment has it: every compile and link runs
# there (cmake/build-environment), whatever machine runs CMake. Debian has no MinGW-w64 runtime for
# ARM64: the programs are built against Debian's MinGW-w64 headers alone, with MinGW's C++ library
# for its header-only parts, and bring the little runtime they need themselves (src/runtime).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(PLIVEX_TRIPLET aarch64-w64-mingw32)
set(PLIVEX_ARCH arm64)
set(PLIVEX_OWN_RUNTIME ON)
set(PLIVEX_TOOLS ${CMAKE_CURRENT_LIST_DIR}/../build-environment)
set(CMAKE_CXX_COMPILER ${PLIVEX_TOOLS}/clang++)
set(CMAKE_CXX_COMPILER_TARGET ${PLIVEX_TRIPLET})
set(CMAKE_RC_COMPILER ${PLIVEX_TOOLS}/llvm-windres)
set(CMAKE_AR ${PLIVEX_TOOLS}/llvm-ar)
set(CMAKE_RANLIB ${PLIVEX_TOOLS}/llvm-ranlib)
string(JOIN " " CMAKE_RC_FLAGS_INIT --target=${PLIVEX_TRIPLET}
       --preprocessor-arg=--target=${PLIVEX_TRIPLET} -I/usr/share/mingw-w64/include)

# The C++ headers first, then clang's own, then the Windows headers, or #include_next fails.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-resource-dir OUTPUT_VARIABLE clang_resources
                OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${PLIVEX_TOOLS}/x86_64-w64-mingw32-g++-posix -print-file-name=include/c++
                OUTPUT_VARIABLE cxx_headers OUTPUT_STRIP_TRAILING_WHITESPACE)
string(JOIN " " CMAKE_CXX_FLAGS_INIT -nostdinc -isystem ${cxx_headers}
       -isystem ${cxx_headers}/x86_64-w64-mingw32 -isystem ${clang_resources}/include
       -isystem /usr/share/mingw-w64/include
       # Nothing runs global constructors without a runtime.
       -Werror=global-constructors)
# The protections every build has, named rather than left to lld's defaults. lld is the one beside
# clang.
string(CONCAT link "-Wno-unused-command-line-argument -fuse-ld=lld"
       " -Wl,--subsystem,console:6.2,--dynamicbase,--nxcompat,--high-entropy-va")
set(CMAKE_EXE_LINKER_FLAGS_INIT ${link})
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${link})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# No runtime to link a test program against, and no default system libraries: each program
# names the DLLs it imports.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "")
