#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds everything (warnings are errors), runs every test and
# checks the Debian packages, the format and clang-tidy's findings (scripts/lint.sh).
set -euo pipefail
source "$(dirname "$0")/deps.sh"
kestrin_install_missing
# Prefix /usr: the Debian packages made from this build get Debian's multiarch library folder.
kestrin_build "$KESTRIN_ROOT/build-test" -DKESTRIN_WERROR=ON -DCMAKE_INSTALL_PREFIX=/usr
cd "$KESTRIN_ROOT/build-test"
ctest --output-on-failure -j"$(nproc)"
# The Debian packages, unpacked and checked; the example project against an installed Ostrel.
bash "$KESTRIN_ROOT/scripts/package-check.sh" "$KESTRIN_ROOT/build-test"
# Every C++ file formatted by .clang-format; clang-tidy over what this branch changed.
KESTRIN_LINT_BUILD="$KESTRIN_ROOT/build-test" bash "$KESTRIN_ROOT/scripts/lint.sh"
