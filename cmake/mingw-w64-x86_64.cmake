# Cross build for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix: the posix thread model, which std::thread
# needs).
#
#   cmake -S . -B build/windows -G Ninja -DTARNEL_UI=win32 \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# Everything is linked statically, so an .exe needs only the system's own
# DLLs (KERNEL32, USER32, msvcrt, ...) and none of MinGW's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_tarnel_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_tarnel_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_tarnel_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_tarnel_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_tarnel_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static alone makes the linker take libwinpthread.a rather than its import
# library; the other two do the same for the compiler's runtime.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the suites through Wine, each in the session that
# tests/support/run_under_wine.sh provides (a private prefix and X server,
# code page 932).
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../tests/support/run_under_wine.sh)
