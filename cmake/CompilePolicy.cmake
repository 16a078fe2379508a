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
# The sanitizer build (scripts/test-sanitizers.sh): a memory error or undefined behaviour
# ends the program with a report, without going on.
option(KESTRIN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KESTRIN_SANITIZE)
  # No vptr check yet: it needs the type information of Ostrel::BrowseBox, which libOstrel
  # does not export, so the window would not link.
  set(kestrin_sanitize -fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=all)
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
