#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds common/, engine/, cli/ and their tests for 64-bit Windows with MinGW-w64 and runs
# the tests under Wine. The window and Ostrel are not part of this build yet (no Qt for
# Windows here). Installs what is missing: the MinGW-w64 compilers (posix thread model),
# wine64 and GoogleTest's sources, which are built for the target.
# Leaves build-windows/cli/kestrin-cli.exe, which needs no DLL beyond Windows' own.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
KESTRIN_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix wine64 googletest)
kestrin_install_missing --no-install-recommends

build="$KESTRIN_ROOT/build-windows"
# A prefix of the build's own (never ~/.wine), quiet, without a display; no Mono or Gecko.
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver

started=$SECONDS
mkdir -p "$build" "$WINEPREFIX"
# One wineserver for the whole run, and the prefix's services started before any test:
# a test that started them would leave them holding its output pipe open, and CTest would
# wait for that pipe until its timeout. The prefix is made while the build runs.
"$wineserver" -k 2>/dev/null || true
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT
(timeout 120 "$wine" wineboot -i >"$build/wineboot.log" 2>&1 || echo "wineboot failed, see $build/wineboot.log") &
booting=$!

cmake -S "$KESTRIN_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$KESTRIN_ROOT/cmake/toolchains/mingw-w64-x86_64.cmake" \
  -DKESTRIN_BUILD_GUI=OFF -DKESTRIN_WERROR=ON >"$build/configure.log" ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)"
built=$SECONDS
wait "$booting"

# Nothing beyond Windows' own DLLs: the program runs on a clean system.
imports=$(x86_64-w64-mingw32-objdump -p "$build/cli/kestrin-cli.exe" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')
echo "kestrin-cli.exe imports: $imports"
if echo "$imports" | grep -qiE 'libgcc|libstdc|libwinpthread'; then
  echo "kestrin-cli.exe needs the compiler's DLLs" >&2
  exit 1
fi

cd "$build"
status=0
ctest --output-on-failure -j"$(nproc)" --timeout 120 || status=$?

# What ran, and why what was skipped cannot apply here, in the tests' own words.
log=Testing/Temporary/LastTest.log
total=$(grep -c '^[0-9]*/[0-9]* Testing: ' "$log" || true)
echo
echo "Skipped on Windows, with the reasons the tests give:"
awk '/^\[ RUN      \] / { name = $4 }
     /: Skipped$/ { getline reason; print "  " name ": " reason }' "$log"
skipped=$(awk '/: Skipped$/' "$log" | wc -l)
echo "Windows build: $total tests, $((total - skipped)) run, $skipped skipped;" \
  "build $((built - started)) s, tests $((SECONDS - built)) s"
exit $status
