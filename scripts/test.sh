#!/usr/bin/env bash
# Installs what is missing, builds everything (warnings are errors) and runs every test.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
kestrin_install_missing
kestrin_build "$KESTRIN_ROOT/build-test" -DKESTRIN_WERROR=ON
cd "$KESTRIN_ROOT/build-test"
ctest --output-on-failure -j"$(nproc)"
