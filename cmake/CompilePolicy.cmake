# SPDX-License-Identifier: MIT
# Project-wide compile policy: every target links kestrin_policy.
add_library(kestrin_policy INTERFACE)
# Strict ISO C++17 (-std=c++17, not gnu++17): what builds here builds with any compiler.
target_compile_features(kestrin_policy INTERFACE cxx_std_17)
set(CMAKE_CXX_EXTENSIONS OFF)
# Every Windows compiler (MSVC, MinGW, clang-cl): min/max stay std::min/std::max, and the
# Win32 headers come without their rarely used half.
if(WIN32)
  target_compile_definitions(kestrin_policy INTERFACE NOMINMAX WIN32_LEAN_AND_MEAN)
endif()
# Qt as a library user with strict settings has it, so that our headers build in any such
# project: no signals/slots/emit keywords (Q_SIGNALS, Q_SLOTS, Q_EMIT), no implicit
# conversion between 8-bit strings and QString or QUrl, no foreach. Harmless where no Qt
# header is included.
target_compile_definitions(kestrin_policy INTERFACE QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING QT_NO_FOREACH)
if(MSVC)
  target_compile_options(kestrin_policy INTERFACE /W4 /utf-8)
  if(KESTRIN_WERROR)
    target_compile_options(kestrin_policy INTERFACE /WX)
  endif()
else()
  target_compile_options(kestrin_policy INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                  -Wnon-virtual-dtor)
  target_compile_definitions(kestrin_policy INTERFACE _FILE_OFFSET_BITS=64)
  if(KESTRIN_WERROR)
    target_compile_options(kestrin_policy INTERFACE -Werror)
  endif()
endif()
# Hardened binaries on Linux, with the flags Debian builds its packages with (dpkg-buildflags,
# hardening=+all): stack protector and stack-clash protection, fortified C library calls
# (optimised builds only: they need the optimiser), control-flow protection, read-only
# relocations bound at start (BIND_NOW) and position-independent executables. The package
# check proves them with hardening-check.
option(KESTRIN_HARDENING "Build with Debian's hardening flags (Linux)" ON)
if(KESTRIN_HARDENING AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT MSVC)
  target_compile_options(kestrin_policy INTERFACE -fstack-protector-strong
    -fstack-clash-protection -Wformat -Werror=format-security)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i.86)$")
    target_compile_options(kestrin_policy INTERFACE -fcf-protection)
  endif()
  target_compile_definitions(kestrin_policy INTERFACE
    $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  target_link_options(kestrin_policy INTERFACE -Wl,-z,relro -Wl,-z,now)
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
# The sanitizer build (scripts/test-sanitizers.sh): a memory error or undefined behaviour
# ends the program with a report, without going on.
option(KESTRIN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KESTRIN_SANITIZE)
  set(kestrin_sanitize -fsanitize=address,undefined -fno-sanitize-recover=all)
  target_compile_options(kestrin_policy INTERFACE ${kestrin_sanitize} -fno-omit-frame-pointer)
  target_link_options(kestrin_policy INTERFACE ${kestrin_sanitize})
endif()
if(MINGW)
  # The executables run on a clean Windows (or Wine) without the compiler's DLLs
  # (libgcc_s, libstdc++, libwinpthread). What links Qt sets KESTRIN_SHARED_RUNTIME: Qt's
  # DLLs use the shared C++ runtime, and one process keeps one copy of it (exceptions,
  # allocations and std types cross between Ostrel.dll, Qt and the program).
  target_link_options(kestrin_policy INTERFACE
    $<$<NOT:$<BOOL:$<TARGET_PROPERTY:KESTRIN_SHARED_RUNTIME>>>:-static>)
endif()
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()
