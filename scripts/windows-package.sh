#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows zip and installer of a cross build, made and checked as a user meets them:
#   windows-package.sh BUILD   (BUILD: build-windows)
# Run by test-windows.sh after the tests, inside its Wine set-up (WINEPREFIX, WINEDEBUG,
# WINEDLLOVERRIDES, a running wineserver and an X DISPLAY exported). Builds the target
# windows_package, compares the zip's file list with the one expected, installs silently
# under Wine (an older version first, then this one over it) and checks the installed files,
# the Start-menu, uninstall and "Open with" entries, starts the installed window and
# kestrin-cli.exe, checks that the installer refuses while the window runs, uninstalls
# silently and checks that nothing of it is left; then the same for a per-user install with
# kestrin-cli on the PATH. The developers' zip is unpacked and examples/ostrel-example built
# against it with MinGW and run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
: "${WINEPREFIX:?run by test-windows.sh, which sets up Wine and a display}" "${DISPLAY:?}"
# Installing a shortcut would have Wine's menu builder add it to this machine's own menus.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
work=$(mktemp -d /tmp/kestrin-winpkg-XXXXXX)
window_pid=""
trap '[ -z "$window_pid" ] || kill "$window_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
started=$SECONDS

version=$(sed -n 's/^project(Kestrin VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=Kestrin-$version-win64
zip=$build/$name.zip
setup=$build/$name-setup.exe
folder='C:\Program Files\Kestrin'
installed="$WINEPREFIX/drive_c/Program Files/Kestrin"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrin.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrin'
open_with_key='HKLM\Software\Classes\Applications\kestrin.exe\shell\open\command'
app_paths_key='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\kestrin.exe'
# One value of a key as `reg query` shows it, empty when missing.
reg_value() { # key value
    { "$wine" reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' |
        awk -v n="$2" '$1 == n && $2 ~ /^REG_/ { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print }'
}
reg_default() { # key
    { "$wine" reg query "$1" /ve 2>/dev/null || true; } | tr -d '\r' |
        awk '$2 ~ /^REG_/ { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print }'
}

echo "== cmake --build --target windows_package"
cmake --build "$build" --target windows_package >"$work/build.log" 2>&1 ||
    { cat "$work/build.log"; exit 1; }
packaged=$((SECONDS - started))
for f in "$zip" "$setup"; do [ -s "$f" ] || { echo "FAIL: $f was not made" >&2; exit 1; }; done

# What the window needs (Qt, its windows platform and style, the compiler's runtime), the
# two programs, Ostrel, Qt's translations and the texts; nothing only the tests use.
sort >"$work/expected" <<FILES
LICENSE.txt
Ostrel.dll
Qt6Core.dll
Qt6Gui.dll
Qt6Widgets.dll
README.txt
kestrin-cli.exe
kestrin.exe
libgcc_s_seh-1.dll
libstdc++-6.dll
libwinpthread-1.dll
platforms/qwindows.dll
styles/qwindowsvistastyle.dll
$(cd /usr/share/qt6/translations && ls qtbase_*.qm | sed 's|^|translations/|')
FILES
echo "== $name.zip"
unzip -Z1 "$zip" | grep -v '/$' | sort >"$work/zip-paths"
grep -v "^$name/" "$work/zip-paths" | sed 's/^/  outside the folder: /' || true
sed -n "s|^$name/||p" "$work/zip-paths" >"$work/zip-files"
missing=$(comm -23 "$work/expected" "$work/zip-files")
extra=$(comm -13 "$work/expected" "$work/zip-files")
[ -z "$missing" ] || fail "missing from the zip: $missing"
[ -z "$extra" ] || fail "not to be in the zip: $extra"
[ "$(wc -l <"$work/zip-paths")" = "$(wc -l <"$work/zip-files")" ] ||
    fail "the zip holds files outside $name/"
unzip -q "$zip" -d "$work/unzipped"
for f in $(grep -E '\.(exe|dll)$' "$work/zip-files"); do
    if x86_64-w64-mingw32-objdump -h "$work/unzipped/$name/$f" | grep '\.debug_info' >/dev/null; then
        fail "$f is not stripped"
    fi
done

echo "== an older version's setup /S, then $name-setup.exe /S over it"
# What an earlier, interrupted run may have left.
rm -rf "$installed" "$shortcut"
"$wine" reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
# The same files as an older release: the installer of this build, made with an older number.
makensis -V1 -DVERSION=1.12.0 -DPUBLISHER=Tarrowby -DFILES="$build/packaging/windows/KestrinFiles.nsh" \
    -DLICENSE="$build/package/$name/LICENSE.txt" -DICON="$root/app/resources/icons/kestrin.ico" \
    -DOUTFILE="$work/old-setup.exe" "$root/packaging/windows/kestrin.nsi" >"$work/old-setup.log" 2>&1 ||
    { cat "$work/old-setup.log"; fail "no older installer"; }
timeout 120 "$wine" "$work/old-setup.exe" /S || fail "the older installer failed ($?)"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = 1.12.0 ] || fail "the older version is not installed"
echo "older version installed: $(reg_value "$uninstall_key" DisplayVersion)"
# The older one's settings beside the program, which its uninstaller removes: the upgrade
# went through it.
echo "older" >"$installed/kestrin.dat"
install_started=$SECONDS
timeout 120 "$wine" "$setup" /S || fail "the installer failed ($?)"
echo "installed over it in $((SECONDS - install_started)) s"
[ ! -e "$installed/kestrin.dat" ] || fail "the older version was not uninstalled first"
# The older installer is refused once this version is installed: it would go back.
status=0
timeout 120 "$wine" "$work/old-setup.exe" /S || status=$?
[ "$status" = 4 ] || fail "the older installer over this version ended with $status, not 4"
(cd "$installed" 2>/dev/null && find . -type f | sed 's|^\./||' | sort) >"$work/installed" || true
missing=$(comm -23 <(sort - "$work/expected" <<<"Uninstall.exe") "$work/installed")
extra=$(comm -13 <(sort - "$work/expected" <<<"Uninstall.exe") "$work/installed")
[ -z "$missing" ] || fail "not installed: $missing"
[ -z "$extra" ] || fail "installed beyond the list: $extra"
diff -rq -x Uninstall.exe "$work/unzipped/$name" "$installed" >"$work/diff" ||
    fail "the installed files differ from the zip's: $(cat "$work/diff")"
if [ -s "$shortcut" ]; then
    # A shell link holds its target's path as text, in ANSI or UTF-16.
    { x86_64-w64-mingw32-strings -a "$shortcut"; x86_64-w64-mingw32-strings -a -el "$shortcut"; } | grep -iF "$folder\\kestrin.exe" >/dev/null ||
        fail "the Start-menu entry does not lead to $folder\\kestrin.exe"
else
    fail "no Start-menu entry ($shortcut)"
fi
for pair in "DisplayName=Kestrin" "DisplayVersion=$version" "Publisher=Tarrowby" \
            "UninstallString=\"$folder\\Uninstall.exe\"" "InstallLocation=$folder"; do
    value=$(reg_value "$uninstall_key" "${pair%%=*}")
    [ "$value" = "${pair#*=}" ] || fail "$uninstall_key ${pair%%=*} is \"$value\", not \"${pair#*=}\""
done
command=$(reg_default "$open_with_key")
[ "$command" = "\"$folder\\kestrin.exe\" \"%1\"" ] || fail "\"Open with\" runs $command"
echo "Open with: $command"

echo "== the installed programs"
cli_version=$("$wine" "$folder\\kestrin-cli.exe" --version 2>&1 | tr -d '\r' | head -n 1) || true
echo "kestrin-cli.exe --version: $cli_version"
[ "$cli_version" = "kestrin-cli (Kestrin) $version" ] || fail "kestrin-cli.exe --version"
title="^Kestrin ${version%.*}\$"
title=${title//./\\.}
# A window left by a test would be taken for this one.
if xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; then
    fail "a window titled $title is open before the installed program starts"
fi
# Started from elsewhere, as from the Start menu: nothing may come from the build's bin/.
(cd "$work" && exec "$wine" "$folder\\kestrin.exe" >"$work/kestrin.log" 2>&1) &
window_pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -n 1) || true
if [ -n "$window" ]; then
    echo "window \"$(xdotool getwindowname "$window")\" appeared"
    # While it runs the installer refuses, and the installed files stay as they are.
    status=0
    timeout 120 "$wine" "$setup" /S || status=$?
    [ "$status" = 3 ] || fail "the installer ended with $status while Kestrin runs, not 3"
    [ -f "$installed/kestrin.exe" ] || fail "the installer touched the running Kestrin's files"
    echo "installer while Kestrin runs: refused (status $status)"
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window" || true
    xdotool key alt+F4
    for _ in $(seq 100); do kill -0 "$window_pid" 2>/dev/null || break; sleep 0.2; done
    if kill -0 "$window_pid" 2>/dev/null; then
        fail "the window did not close on Alt+F4"
    else
        wait "$window_pid" || fail "kestrin.exe ended with status $?"
        window_pid=""
    fi
else
    fail "no window titled $title from the installed kestrin.exe: $(cat "$work/kestrin.log")"
fi
[ -z "$window_pid" ] || { kill "$window_pid" 2>/dev/null || true; window_pid=""; }
# Where the program put its settings and what it recorded about itself (reported, not
# judged: Wine lets a user write into Program Files, which Windows does not).
if [ -e "$installed/kestrin.dat" ]; then
    echo "settings: kestrin.dat beside the installed kestrin.exe"
else
    found=$(cd "$WINEPREFIX/drive_c/users" && find . -name kestrin.dat | head -n 1)
    echo "settings: ${found:-none written}"
fi
echo "App Paths entry: $(reg_default "$app_paths_key")"

echo "== Uninstall.exe /S"
# The uninstaller runs a copy of itself from the temporary folder and returns at once.
"$wine" "$folder\\Uninstall.exe" /S || fail "the uninstaller failed ($?)"
for _ in $(seq 150); do [ -e "$installed" ] || break; sleep 0.2; done
[ ! -e "$installed" ] || fail "left after uninstalling: $(cd "$installed" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is left"
if "$wine" reg query "$uninstall_key" >/dev/null 2>&1; then fail "$uninstall_key is left"; fi
[ -z "$(reg_default "$app_paths_key")" ] || fail "$app_paths_key is left"

echo "== $name-setup.exe /S /CurrentUser /PATH (no administrator needed)"
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrin'
"$wine" reg delete "$user_key" /f >/dev/null 2>&1 || true
timeout 120 "$wine" "$setup" /S /CurrentUser /PATH || fail "the per-user installer failed ($?)"
user_folder=$(reg_value "$user_key" InstallLocation)
echo "per-user folder: ${user_folder:-none}"
case $user_folder in
*'\AppData\Local\Programs\Kestrin') ;;
*) fail "the per-user install is in \"$user_folder\"" ;;
esac
if "$wine" reg query "$uninstall_key" >/dev/null 2>&1; then fail "the per-user install wrote $uninstall_key"; fi
user_path=$(reg_value 'HKCU\Environment' Path)
[[ ";$user_path;" == *";$user_folder;"* ]] || fail "the user's PATH lacks the folder: $user_path"
[ -n "$(reg_default 'HKCU\Software\Classes\Applications\kestrin.exe\shell\open\command')" ] ||
    fail "no per-user \"Open with\" entry"
cli_version=$("$wine" "$user_folder\\kestrin-cli.exe" --version 2>&1 | tr -d '\r' | head -n 1) || true
[ "$cli_version" = "kestrin-cli (Kestrin) $version" ] || fail "per-user kestrin-cli.exe --version: $cli_version"
"$wine" "$user_folder\\Uninstall.exe" /S || fail "the per-user uninstaller failed ($?)"
user_unix=$("$wine" winepath -u "$user_folder" 2>/dev/null | tr -d '\r')
for _ in $(seq 150); do [ -e "$user_unix" ] || break; sleep 0.2; done
[ -n "$user_unix" ] && [ ! -e "$user_unix" ] || fail "left after the per-user uninstall: $user_unix"
if "$wine" reg query "$user_key" >/dev/null 2>&1; then fail "$user_key is left"; fi
user_path=$(reg_value 'HKCU\Environment' Path)
[[ ";$user_path;" != *";$user_folder;"* ]] || fail "the folder is left in the user's PATH: $user_path"

echo "== the developers' zip: examples/ostrel-example built against it with MinGW"
dev_zip=$(ls "$build"/Ostrel-*-win64-dev.zip)
unzip -q "$dev_zip" -d "$work/dev"
dev=$(ls -d "$work"/dev/Ostrel-*)
(cd "$dev" && find . -type f | sed 's|^\./||' | sort) >"$work/dev-files"
for f in bin/Ostrel.dll lib/libOstrel.dll.a include/Ostrel/BrowseBox.h include/Ostrel/KeyCodes.h \
         include/Ostrel/OleColor.h lib/cmake/Ostrel/OstrelConfig.cmake lib/pkgconfig/Ostrel.pc; do
    grep -Fx "$f" "$work/dev-files" >/dev/null || fail "the developers' zip lacks $f"
done
if cmake -S "$root/examples/ostrel-example" -B "$work/example" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$dev;$build/qt6-mingw" -DQT_HOST_PATH=/usr >"$work/example.log" 2>&1 &&
    cmake --build "$work/example" >>"$work/example.log" 2>&1; then
    # Beside the DLLs the window needs, with Ostrel.dll from the zip.
    mkdir -p "$work/example-run"
    cp -r "$work/unzipped/$name"/. "$work/example-run/"
    cp "$dev/bin/Ostrel.dll" "$work/example/ostrel-example.exe" "$work/example-run/"
    checked=$("$wine" "$work/example-run/ostrel-example.exe" --check 2>&1 | tr -d '\r') ||
        fail "ostrel-example.exe --check: $checked"
    echo "ostrel-example.exe --check: $checked"
else
    cat "$work/example.log"
    fail "examples/ostrel-example does not build against the developers' zip"
fi

echo "Windows package: $name.zip $(wc -l <"$work/zip-files") files, $(du -k "$zip" | cut -f1) KiB;" \
  "$name-setup.exe $(du -k "$setup" | cut -f1) KiB; $failures failures;" \
  "packaging $packaged s, checks $((SECONDS - started - packaged)) s"
[ "$failures" -eq 0 ]
