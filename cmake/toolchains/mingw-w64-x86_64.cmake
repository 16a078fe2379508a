# SPDX-License-Identifier: MIT
# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 compilers, posix thread model
# (package g++-mingw-w64-x86-64-posix): std::thread and std::mutex need it.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake
# Tests run under Wine when wine64 is installed (see scripts/test-windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRIN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTRIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRIN_MINGW_TRIPLE}-windres)

# The target's own libraries: MinGW's, and a Qt built for Windows given as CMAKE_PREFIX_PATH.
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIN_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every test and kestrin-cli.exe run under Wine in a prefix of the build folder's own, so
# that a build never touches the user's ~/.wine; quiet. The display is the caller's: Qt
# programs under Wine need one (test-windows.sh starts Xvfb), even on the offscreen platform.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(KESTRIN_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_CACHE)
  if(KESTRIN_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all
        WINEDLLOVERRIDES=mscoree,mshtml= sh ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh
        ${KESTRIN_WINE64})
  endif()
endif()
