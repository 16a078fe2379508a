#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian packages of a build, checked as a user and a developer would meet them:
#   package-check.sh [BUILD]   (BUILD: build-test, configured with -DCMAKE_INSTALL_PREFIX=/usr)
# Makes the packages with cpack, unpacks them into a temporary root and compares the file
# list, runs lintian (errors fail), checks RUNPATHs, stripping, icons, the manual pages,
# the desktop entry and the AppStream data, runs hardening-check on every binary, lists what
# libOstrel exports, builds and runs examples/ostrel-example against `cmake --install` into a
# temporary prefix and against the unpacked packages through CMake and through pkg-config.
set -euo pipefail
# Pipes end in a grep that reads all its input (no -q): under pipefail, a writer cut off by
# an early exit would count as a failure.
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-test}" && pwd)
work=$(mktemp -d /tmp/kestrin-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
started=$SECONDS
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
libdir=usr/lib/$multiarch

echo "== cpack -G DEB"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB -B "$build/packages" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; exit 1; }
debs=("$build"/packages/*.deb)
for deb in "${debs[@]}"; do
    echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
done

# What they depend on is to be had: apt works out an installation without making it.
apt-get install --simulate "${debs[@]}" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt cannot install the packages"; }
grep '^Conf ' "$work/apt.log" || true

echo "== unpacked into a temporary root"
for deb in "${debs[@]}"; do
    dpkg -x "$deb" "$work/root"
done
(cd "$work/root" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$work/files"
icons=""
for size in 16 32 48 64 128 256; do
    icons+="usr/share/icons/hicolor/${size}x${size}/apps/com.tarrowby.Kestrin.png"$'\n'
done
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" | tr '[:upper:]' '[:lower:]')
ostrel_so=$(basename "$(readlink -f "$build/controls/browsebox/libOstrel.so")")
sort >"$work/expected" <<FILES
usr/bin/kestrin
usr/bin/kestrin-cli
usr/include/Ostrel/BrowseBox.h
usr/include/Ostrel/KeyCodes.h
usr/include/Ostrel/OleColor.h
usr/include/Ostrel/OstrelExport.h
usr/include/Ostrel/PropertyBag.h
$libdir/cmake/Ostrel/OstrelConfig.cmake
$libdir/cmake/Ostrel/OstrelConfigVersion.cmake
$libdir/cmake/Ostrel/OstrelTargets-$build_type.cmake
$libdir/cmake/Ostrel/OstrelTargets.cmake
$libdir/libOstrel.so
$libdir/libOstrel.so.1
$libdir/pkgconfig/Ostrel.pc
$libdir/$ostrel_so
$libdir/qt6/plugins/designer/libostrel_designer_plugin.so
usr/share/applications/com.tarrowby.Kestrin.desktop
usr/share/bash-completion/completions/kestrin-cli
usr/share/doc/kestrin/changelog.Debian.gz
usr/share/doc/kestrin/copyright
usr/share/doc/libostrel-dev/changelog.Debian.gz
usr/share/doc/libostrel-dev/copyright
usr/share/doc/libostrel1/changelog.Debian.gz
usr/share/doc/libostrel1/copyright
${icons}usr/share/icons/hicolor/scalable/apps/com.tarrowby.Kestrin.svg
usr/share/man/man1/kestrin-cli.1.gz
usr/share/man/man1/kestrin.1.gz
usr/share/metainfo/com.tarrowby.Kestrin.metainfo.xml
FILES
sed -i '/^$/d' "$work/expected"
extra=$(comm -13 "$work/expected" "$work/files")
missing=$(comm -23 "$work/expected" "$work/files")
[ -z "$missing" ] || fail "missing from the packages: $missing"
[ -z "$extra" ] || fail "not expected in the packages: $extra"
echo "$(wc -l <"$work/files") files; headers: $(grep -c '^usr/include/' "$work/files")"

echo "== lintian"
lintian --tag-display-limit 0 "${debs[@]}" 2>&1 | grep -v 'running with root privileges' | tee "$work/lintian" || true
if grep -q '^E: ' "$work/lintian"; then fail "lintian reports errors"; fi

echo "== binaries: stripped, RUNPATH inside the package"
while read -r file; do
    path="$work/root/$file"
    [ -L "$path" ] || ! file -b "$path" | grep '^ELF' >/dev/null && continue
    file -b "$path" | grep ', stripped' >/dev/null || fail "$file is not stripped"
    runpath=$(readelf -d "$path" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p; s/.*(RPATH).*\[\(.*\)\]/\1/p')
    case $runpath in
    "" | '$ORIGIN'*) ;;
    *) fail "$file has RUNPATH $runpath" ;;
    esac
    echo "$file: RUNPATH ${runpath:-(none)}"
done <"$work/files"
echo "== binaries: hardened (hardening-check)"
# Control-flow protection is left out: the objects are built with -fcf-protection, but Debian
# 12's C start files (Scrt1.o, crti.o) carry no IBT/SHSTK note, so no program linked here can
# show it. A file whose only unfortified calls are memcpy and memmove (sizes known only at
# run time, which no fortified variant takes) was built with the fortified headers all the same.
while read -r file; do
    path="$work/root/$file"
    [ -L "$path" ] || ! file -b "$path" | grep '^ELF' >/dev/null && continue
    report=$(hardening-check --nocfprotection --verbose "$path" 2>&1) && continue
    failing=$(grep -E ': no|unprotected:' <<<"$report" |
        grep -vE '\(ignored\)$|unprotected: (memcpy|memmove)$|Fortify Source functions: no, only unprotected' || true)
    if [ -n "$failing" ]; then
        echo "$report"
        fail "$file is not hardened"
    fi
done <"$work/files"
# The plugin and the window find libOstrel beside them in the unpacked root, not in the build.
for file in "$libdir/qt6/plugins/designer/libostrel_designer_plugin.so" usr/bin/kestrin; do
    found=$(env -u LD_LIBRARY_PATH ldd "$work/root/$file" | awk '/libOstrel/ {print $3}')
    [ "$(readlink -f "$found")" = "$(readlink -f "$work/root/$libdir/$ostrel_so")" ] ||
        fail "$file finds libOstrel at ${found:-nothing}"
done
# Designer writes the plugin's include file into forms: it must be the installed header.
strings -el "$work/root/$libdir/qt6/plugins/designer/libostrel_designer_plugin.so" |
    grep -x '<Ostrel/BrowseBox.h>' >/dev/null || fail "the plugin does not name <Ostrel/BrowseBox.h>"

echo "== icons, desktop entry, AppStream data, manual pages"
for size in 16 32 48 64 128 256; do
    png="$work/root/usr/share/icons/hicolor/${size}x${size}/apps/com.tarrowby.Kestrin.png"
    file -b "$png" | grep "PNG image data, $size x $size," >/dev/null || fail "icon $size: $(file -b "$png")"
done
desktop="$work/root/usr/share/applications/com.tarrowby.Kestrin.desktop"
desktop-file-validate "$desktop" || fail "desktop entry"
# "Open with Kestrin" for text files, and the running window matched to its entry (the
# window's WM_CLASS is kestrin).
for line in 'Exec=kestrin %f' 'MimeType=text/plain;' 'StartupWMClass=kestrin'; do
    grep -Fx "$line" "$desktop" >/dev/null || fail "the desktop entry lacks $line"
done
appstreamcli validate --no-net "$work/root/usr/share/metainfo/com.tarrowby.Kestrin.metainfo.xml" ||
    fail "AppStream data"
cli_page=$(zcat "$work/root/usr/share/man/man1/kestrin-cli.1.gz")
for text in '^\.SH SYNOPSIS' '^\.SH OPTIONS' '^\.SH "EXIT STATUS"' '^130' 'dry\\-run' \
    '^\.SH EXAMPLES' 'keep\\-delimiter \\-\\-keep\\-line\\-ends' '^\.SH "SEE ALSO"' '^\.BR csplit (1)'; do
    grep -q -- "$text" <<<"$cli_page" || fail "kestrin-cli.1 lacks $text"
done
# Every exit status a tag of its own (a status whose text is not set apart is no tag).
[ "$(sed -n '/^\.SH "EXIT STATUS"/,/^\.SH/p' <<<"$cli_page" | grep -c '^\.TP')" -eq \
    "$(sed -n '/^Exit status:/,/^$/p' <<<"$("$work/root/usr/bin/kestrin-cli" --help)" | grep -c '^  [0-9]')" ] ||
    fail "kestrin-cli.1: an exit status without its tag"
window_page=$(zcat "$work/root/usr/share/man/man1/kestrin.1.gz")
for text in '^\.SH SYNOPSIS' '^\.SH FILES' 'kestrin\.dat' '^\.SH "SEE ALSO"'; do
    grep -q -- "$text" <<<"$window_page" || fail "kestrin.1 lacks $text"
done
sed -n '/^\.SH FILES/{n;p}' <<<"$window_page" | grep '^\.TP' >/dev/null || fail "kestrin.1: FILES without a tag"
# The packaged window answers --help without a display and without the build tree.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/bin/kestrin" --help |
    grep '^Usage: kestrin' >/dev/null || fail "kestrin --help"

echo "== run as root: the registration in /var/lib/kestrin, nothing written under /etc"
# The unpacked window started as root, in a mount namespace of its own whose fresh /var/lib
# holds the folder the package makes (or not: then the record goes to the user's folder).
# strace (-y names the folder behind a descriptor) lists every file it opens for writing,
# makes, renames or removes; any of them under /etc fails the check.
[ -d "$work/root/var/lib/kestrin" ] || fail "the package does not make /var/lib/kestrin"
run_as_root() { # name, 1 when the package's state folder exists
    local home="$work/home-$1"
    mkdir -p "$home"
    # shellcheck disable=SC2016 # expanded by the inner shell
    unshare --mount sh -c '
        mount -t tmpfs kestrin-check /var/lib || exit 1
        [ "$2" = 0 ] || mkdir -p /var/lib/kestrin
        env -u XDG_CONFIG_HOME -u XDG_CONFIG_DIRS -u DISPLAY -u WAYLAND_DISPLAY HOME="$3" \
            QT_QPA_PLATFORM=offscreen timeout -s TERM 10 \
            strace -f -qq -y -o "$4.strace" -e trace=%file,%desc "$1" >"$4.log" 2>&1
        ls -A /var/lib/kestrin >"$4.state" 2>/dev/null || true' \
        sh "$work/root/usr/bin/kestrin" "$2" "$home" "$work/root-run-$1" ||
        fail "kestrin as root ($1) could not be run: $(cat "$work/root-run-$1.log" 2>/dev/null)"
    grep -E '^[0-9]+ +((open|openat|creat)\(.*/etc/[^>"]*[>"].*(O_WRONLY|O_RDWR|O_CREAT|O_TRUNC)|(mkdir|mkdirat|rename|renameat2?|link|linkat|symlink|symlinkat|unlink|unlinkat|rmdir|truncate|chmod|fchmodat|chown|fchownat|utimensat)\(.*/etc/)' \
        "$work/root-run-$1.strace" >"$work/root-run-$1.etc" || true
    if [ -s "$work/root-run-$1.etc" ]; then
        head -n 5 "$work/root-run-$1.etc"
        fail "kestrin as root ($1) writes under /etc"
    fi
}
run_as_root with-state 1
grep -x 'HKEY_LOCAL_MACHINE.ini' "$work/root-run-with-state.state" >/dev/null ||
    fail "kestrin as root left no record in /var/lib/kestrin"
run_as_root without-state 0
[ ! -s "$work/root-run-without-state.state" ] || fail "kestrin made /var/lib/kestrin itself"
[ -f "$work/home-without-state/.config/Tarrowby/HKEY_LOCAL_MACHINE.ini" ] ||
    fail "without /var/lib/kestrin the record is not in the user's folder"
echo "as root: $(cat "$work/root-run-with-state.state") in /var/lib/kestrin; without that folder in" \
    "~/.config/Tarrowby; $(cat "$work"/root-run-*.strace | wc -l) file calls traced, none writes under /etc"
# Purging the package removes the record; a plain removal keeps it.
dpkg-deb -e "$build"/packages/kestrin_*.deb "$work/control"
# shellcheck disable=SC2016
unshare --mount sh -c '
    mount -t tmpfs kestrin-check /var/lib && mkdir /var/lib/kestrin &&
    touch /var/lib/kestrin/HKEY_LOCAL_MACHINE.ini &&
    sh "$1/postrm" remove && [ -f /var/lib/kestrin/HKEY_LOCAL_MACHINE.ini ] &&
    sh "$1/postrm" purge && [ ! -e /var/lib/kestrin ]' sh "$work/control" ||
    fail "the kestrin package's postrm does not remove /var/lib/kestrin on purge (only)"

echo "== symbols libOstrel exports that are not Ostrel's"
# Ostrel's own: names in namespace Ostrel, and their type information, vtables and thunks.
nm -D --defined-only -C "$work/root/$libdir/$ostrel_so" | cut -d' ' -f3- |
    grep -Ev '^((typeinfo|typeinfo name|vtable|guard variable) for |(non-)?virtual thunk to )?Ostrel::' \
        >"$work/foreign" || true
total=$(nm -D --defined-only "$work/root/$libdir/$ostrel_so" | wc -l)
echo "$total defined, $(wc -l <"$work/foreign") not Ostrel's"
head -n 20 "$work/foreign"
[ ! -s "$work/foreign" ] || fail "libOstrel exports symbols that are not Ostrel's"
# What dynamic_cast, typeid and a class derived from BrowseBox need from the library.
for symbol in "typeinfo for Ostrel::BrowseBox" "vtable for Ostrel::BrowseBox"; do
    nm -D --defined-only -C "$work/root/$libdir/$ostrel_so" | cut -d' ' -f3- | grep -Fx "$symbol" >/dev/null ||
        fail "libOstrel does not export $symbol"
done

echo "== examples/ostrel-example against cmake --install into a temporary prefix"
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
cmake -S "$root/examples/ostrel-example" -B "$work/example" -G Ninja \
    -DCMAKE_PREFIX_PATH="$work/prefix" >"$work/example.log" 2>&1 &&
    cmake --build "$work/example" >>"$work/example.log" 2>&1 ||
    { cat "$work/example.log"; fail "the example does not build"; }
if [ -x "$work/example/ostrel-example" ]; then
    QT_QPA_PLATFORM=offscreen timeout 30 "$work/example/ostrel-example" --check ||
        fail "ostrel-example --check"
fi
# The unpacked packages serve find_package(Ostrel) and pkg-config (Ostrel.pc) as well; the
# example is built both ways against them (with Qt's strict settings, QT_NO_KEYWORDS among
# them) and run on the unpacked library.
echo "== examples/ostrel-example against the unpacked packages: CMake and pkg-config"
run_example() { # program
    LD_LIBRARY_PATH="$work/root/$libdir" QT_QPA_PLATFORM=offscreen timeout 30 "$1" --check 2>/dev/null
}
cmake -S "$root/examples/ostrel-example" -B "$work/example-deb" -G Ninja \
    -DCMAKE_PREFIX_PATH="$work/root/usr" >"$work/example-deb.log" 2>&1 &&
    cmake --build "$work/example-deb" >>"$work/example-deb.log" 2>&1 ||
    { cat "$work/example-deb.log"; fail "find_package(Ostrel) in the unpacked packages"; }
[ ! -x "$work/example-deb/ostrel-example" ] || run_example "$work/example-deb/ostrel-example" ||
    fail "ostrel-example (CMake, unpacked packages) --check"
export PKG_CONFIG_PATH="$work/root/$libdir/pkgconfig"
echo "pkg-config --cflags --libs Ostrel: $(pkg-config --cflags --libs Ostrel)"
pkg-config --print-requires Ostrel | grep -x 'Qt6Widgets' >/dev/null || fail "Ostrel.pc does not require Qt6Widgets"
mkdir -p "$work/example-pc"
# shellcheck disable=SC2046 # pkg-config's flags are words
(cd "$work/example-pc" &&
    /usr/lib/qt6/libexec/uic "$root/examples/ostrel-example/ExampleWindow.ui" -o ui_ExampleWindow.h &&
    c++ -std=c++17 -fPIC -Wall -Werror -I. -DQT_NO_KEYWORDS -DQT_NO_CAST_FROM_ASCII \
        -DQT_NO_CAST_TO_ASCII -DQT_NO_URL_CAST_FROM_STRING -DQT_NO_FOREACH \
        "$root/examples/ostrel-example/main.cpp" $(pkg-config --cflags --libs Ostrel) \
        -o ostrel-example) >"$work/example-pc.log" 2>&1 ||
    { cat "$work/example-pc.log"; fail "the example does not build with pkg-config"; }
[ ! -x "$work/example-pc/ostrel-example" ] || run_example "$work/example-pc/ostrel-example" ||
    fail "ostrel-example (pkg-config) --check"
unset PKG_CONFIG_PATH

echo "Package check: $((SECONDS - started)) s, $failures failed"
[ "$failures" -eq 0 ]
