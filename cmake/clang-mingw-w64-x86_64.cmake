# Cross build for 64-bit Windows with Debian's clang against MinGW-w64 (POSIX thread model, like
# mingw-w64-x86_64.cmake): the second compiler the product is built with.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(REBOOTPC_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET   ${REBOOTPC_MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${REBOOTPC_MINGW_PREFIX})
set(CMAKE_RC_COMPILER  ${REBOOTPC_MINGW_PREFIX}-windres)

# clang takes Debian's GCC folder name ("12-posix") for no version and finds neither MinGW's
# libstdc++ headers nor its libgcc: both are named here, from the newest POSIX-threads GCC.
file(GLOB rebootpc_gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${REBOOTPC_MINGW_PREFIX}/*-posix)
list(SORT rebootpc_gcc_dirs COMPARE NATURAL ORDER DESCENDING)
list(GET rebootpc_gcc_dirs 0 rebootpc_gcc_dir)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${rebootpc_gcc_dir}/include/c++ -isystem ${rebootpc_gcc_dir}/include/c++/${REBOOTPC_MINGW_PREFIX}")
# The POSIX-threads libgcc needs winpthread, which the gcc driver links by itself.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${rebootpc_gcc_dir} -pthread")

set(CMAKE_FIND_ROOT_PATH /usr/${REBOOTPC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
