#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds everything (warnings are errors), runs every test,
# checks the Debian packages, and runs every test again in a sanitizer build.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
kestrin_install_missing
# The layers, by what each file includes (no Qt below the window, Ostrel by its public headers).
python3 "$KESTRIN_ROOT/scripts/check-layers.py" "$KESTRIN_ROOT"
# Prefix /usr: the Debian packages made from this build get Debian's multiarch library folder.
kestrin_build "$KESTRIN_ROOT/build-test" -DKESTRIN_WERROR=ON -DCMAKE_INSTALL_PREFIX=/usr
cd "$KESTRIN_ROOT/build-test"
ctest --output-on-failure -j"$(nproc)"
# The Debian packages, unpacked and checked; the example project against an installed Ostrel.
bash "$KESTRIN_ROOT/scripts/package-check.sh" "$KESTRIN_ROOT/build-test"
# Everything again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
bash "$KESTRIN_ROOT/scripts/test-sanitizers.sh"
