# Cross toolchain: Debian 12's MinGW-w64, 64-bit Windows, POSIX thread model.
# Everything (libgcc, libstdc++, winpthread) is linked statically so the .exe
# imports only Windows system DLLs. Test programs run under Wine (wine64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)

# The -posix names select the POSIX thread model (std::thread, std::mutex)
# whatever update-alternatives currently points the plain names at.
set(CMAKE_C_COMPILER   ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLET}-windres)
# ar, ranlib, objdump and ld are found from the compiler's triplet prefix.

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -O2 as the Linux build: at -O3 GCC 12 reports false "may overlap" and
# "may be used uninitialized" warnings inside libstdc++'s own std::string.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of the Release build")

# -static pulls libwinpthread.a instead of libwinpthread-1.dll; the other two
# keep libgcc_s_seh-1.dll and libstdc++-6.dll out.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest (and gtest_discover_tests) start test programs through this.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
