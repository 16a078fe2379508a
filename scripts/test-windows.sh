#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the whole system for 64-bit Windows with MinGW-w64 against the Qt for Windows in
# ../shared/windows (unpacked into the build folder) and runs every test under Wine: the
# common/, engine/ and cli/ tests, Ostrel's and the window's on Qt's offscreen platform, and
# the window end to end on the real windows platform, with screenshots in
# build-windows/screenshots. Installs what is missing: the MinGW-w64 compilers (posix thread
# model), wine64, GoogleTest's sources (built for the target), Xvfb and the X tools.
# Leaves build-windows/bin with the programs, Ostrel.dll and what they need to run, and
# the zip and the installer made and checked by windows-package.sh.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
KESTRIN_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix wine64 googletest
                  qt6-base-dev xvfb xauth xdotool x11-utils imagemagick xz-utils nsis unzip
                  icoutils binutils python3-xlib)
KESTRIN_PACKAGES_LEAN=()
kestrin_install_missing --no-install-recommends

build="$KESTRIN_ROOT/build-windows"
# The Qt for Windows this build uses (../shared/windows beside the checkout, or where
# KESTRIN_QT_WINDOWS_ARCHIVE names it); never committed.
qt_archive=${KESTRIN_QT_WINDOWS_ARCHIVE:-"$KESTRIN_ROOT/../shared/windows/qt6.4.2-mingw64-posix.tar.xz"}
if [ ! -f "$qt_archive" ]; then
  echo "No Qt for Windows at $qt_archive: set KESTRIN_QT_WINDOWS_ARCHIVE to its .tar.xz" >&2
  exit 1
fi
qt="$build/qt6-mingw"
# A prefix of the build's own (never ~/.wine), quiet; no Mono or Gecko.
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver

mkdir -p "$build" "$WINEPREFIX"
# Unpacked once per archive: the stamp holds the archive's size and time.
stamp=$(stat -c '%s %Y' "$qt_archive")
if [ "$(cat "$qt/.unpacked" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$qt"
  tar -xJf "$qt_archive" -C "$build"
  echo "$stamp" >"$qt/.unpacked"
fi

# One X display for the whole run: Qt programs under Wine need one even on the offscreen
# platform (without it they stop before main with no output). -noreset: a program connecting
# while the server resets after its last client left would be refused.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset >"$build/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 30 -u "$displayfd" number || { cat "$build/xvfb.log"; exit 1; }
export DISPLAY=":$number"
unset WAYLAND_DISPLAY

started=$SECONDS
# One wineserver for the whole run, and the prefix's services started before any test:
# a test that started them would leave them holding its output pipe open, and CTest would
# wait for that pipe until its timeout. The prefix is made while the build runs.
"$wineserver" -k 2>/dev/null || true
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
(timeout 120 "$wine" wineboot -i >"$build/wineboot.log" 2>&1 || echo "wineboot failed, see $build/wineboot.log") &
booting=$!

cmake -S "$KESTRIN_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$KESTRIN_ROOT/cmake/toolchains/mingw-w64-x86_64.cmake" \
  -DKESTRIN_BUILD_GUI=ON -DKESTRIN_WERROR=ON -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
  >"$build/configure.log" ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)"
built=$SECONDS
wait "$booting"

# Nothing beyond Windows' own DLLs: the command-line program runs on a clean system alone.
imports=$(x86_64-w64-mingw32-objdump -p "$build/bin/kestrin-cli.exe" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')
echo "kestrin-cli.exe imports: $imports"
if echo "$imports" | grep -qiE 'libgcc|libstdc|libwinpthread'; then
  echo "kestrin-cli.exe needs the compiler's DLLs" >&2
  exit 1
fi

# What Explorer shows of each file: the version resource (maker, version, description) and,
# for the window, its icon.
version_field() { # file field
  strings -el "$1" | awk -v f="$2" 'found { print; exit } $0 == f { found = 1 }'
}
for check in "kestrin.exe|1.13.0" "kestrin-cli.exe|1.13.0" "Ostrel.dll|1.0.0"; do
  IFS='|' read -r file version <<<"$check"
  company=$(version_field "$build/bin/$file" CompanyName)
  got=$(version_field "$build/bin/$file" FileVersion)
  description=$(version_field "$build/bin/$file" FileDescription)
  if [ "$company" != Tarrowby ] || [ "$got" != "$version" ] || [ -z "$description" ]; then
    echo "$file: version resource '$company' '$got' '$description'" >&2
    exit 1
  fi
  echo "$file: $company, $got, \"$description\""
done
wrestool -l "$build/bin/kestrin.exe" | grep -q 'type=group_icon' ||
  { echo "kestrin.exe has no icon" >&2; exit 1; }

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
# Programs Wine failed to start, which run-under-wine.sh started once more.
retried=$(grep -c '^run-under-wine.sh: .*started again$' "$log" || true)
echo "Windows build: $total tests, $((total - skipped)) run, $skipped skipped," \
  "$retried started twice; build $((built - started)) s, tests $((SECONDS - built)) s"

# The zip and the installer, installed and uninstalled in the same prefix and display.
echo
bash "$KESTRIN_ROOT/scripts/windows-package.sh" "$build" || status=$?
exit $status
