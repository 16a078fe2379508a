#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian packages of a build, checked as a user and a developer would meet them:
#   package-check.sh [BUILD]   (BUILD: build-test, configured with -DCMAKE_INSTALL_PREFIX=/usr)
# Makes the packages with cpack, unpacks them into a temporary root and compares the file
# list, runs lintian (errors fail), checks RUNPATHs, stripping, icons, the manual pages,
# the desktop entry and the AppStream data, lists what libOstrel exports, and builds and
# runs examples/ostrel-example against `cmake --install` into a temporary prefix.
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
usr/include/Ostrel/OstrelExport.h
usr/include/Ostrel/PropertyBag.h
$libdir/cmake/Ostrel/OstrelConfig.cmake
$libdir/cmake/Ostrel/OstrelConfigVersion.cmake
$libdir/cmake/Ostrel/OstrelTargets-$build_type.cmake
$libdir/cmake/Ostrel/OstrelTargets.cmake
$libdir/libOstrel.so
$libdir/libOstrel.so.1
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
desktop-file-validate "$work/root/usr/share/applications/com.tarrowby.Kestrin.desktop" ||
    fail "desktop entry"
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

echo "== symbols libOstrel exports that are not Ostrel's"
# Ostrel's own: names in namespace Ostrel, and their type information, vtables and thunks.
nm -D --defined-only -C "$work/root/$libdir/$ostrel_so" | cut -d' ' -f3- |
    grep -Ev '^((typeinfo|typeinfo name|vtable|guard variable) for |(non-)?virtual thunk to )?Ostrel::' \
        >"$work/foreign" || true
total=$(nm -D --defined-only "$work/root/$libdir/$ostrel_so" | wc -l)
echo "$total defined, $(wc -l <"$work/foreign") not Ostrel's"
head -n 20 "$work/foreign"
[ ! -s "$work/foreign" ] || fail "libOstrel exports symbols that are not Ostrel's"

echo "== examples/ostrel-example against cmake --install into a temporary prefix"
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
cmake -S "$root/examples/ostrel-example" -B "$work/example" -G Ninja \
    -DCMAKE_PREFIX_PATH="$work/prefix" >"$work/example.log" 2>&1 &&
    cmake --build "$work/example" >>"$work/example.log" 2>&1 ||
    { cat "$work/example.log"; fail "the example does not build"; }
if [ -x "$work/example/ostrel-example" ]; then
    QT_QPA_PLATFORM=offscreen timeout 30 "$work/example/ostrel-example" --check 2>/dev/null ||
        fail "ostrel-example --check"
fi
# The unpacked development package serves find_package(Ostrel) as well.
cmake -S "$root/examples/ostrel-example" -B "$work/example-deb" -G Ninja \
    -DCMAKE_PREFIX_PATH="$work/root/usr" >"$work/example-deb.log" 2>&1 ||
    { cat "$work/example-deb.log"; fail "find_package(Ostrel) in the unpacked packages"; }

echo "Package check: $((SECONDS - started)) s, $failures failed"
[ "$failures" -eq 0 ]
