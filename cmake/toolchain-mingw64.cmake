# Cross-compiles the Windows program with mingw-w64 for 64-bit Windows.
# x86_64 only: the 32-bit build does not run under the wine that tests it.
# The -posix compilers carry the std::thread support of the C++ library.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FWUT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FWUT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FWUT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FWUT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FWUT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable each: the C and C++ runtimes and winpthreads
# are linked in, so there are no DLLs to ship beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under wine (ctest, and gtest's test discovery if used).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# GoogleTest has no mingw package: it is built from Debian's sources
# (package googletest) through the config file in this folder.
set(GTest_DIR ${CMAKE_CURRENT_LIST_DIR}/gtest-from-source)
