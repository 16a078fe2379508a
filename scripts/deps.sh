#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the build, the tests and the benchmarks need,
# and only those that are missing. Sourced by run.sh, test.sh and bench.
set -euo pipefail

KESTRIN_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool xclip x11-utils imagemagick fonts-dejavu-core
  help2man librsvg2-bin dpkg-dev lintian appstream desktop-file-utils file binutils
  e2fsprogs strace util-linux clang-format clang-tidy
  dbus at-spi2-core python3-pyatspi
)
# Installed without what they recommend (devscripts, for hardening-check, would bring some
# ninety packages).
KESTRIN_PACKAGES_LEAN=(devscripts)

# Extra arguments go to apt-get install (--no-install-recommends, say).
kestrin_install_missing() {
  local missing=()
  for p in "${KESTRIN_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  local lean=()
  for p in "${KESTRIN_PACKAGES_LEAN[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || lean+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && [ ${#lean[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]} ${lean[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  [ ${#missing[@]} -eq 0 ] ||
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$@" "${missing[@]}"
  [ ${#lean[@]} -eq 0 ] ||
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${lean[@]}"
}

kestrin_build() {
  local dir=$1
  shift
  cmake -S "$KESTRIN_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j"$(nproc)"
}

KESTRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
