#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Kestrin and starts it.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
kestrin_install_missing
kestrin_build "$KESTRIN_ROOT/build" -DKESTRIN_BUILD_TESTS=OFF
if [ -x "$KESTRIN_ROOT/build/app/kestrin" ]; then
  exec "$KESTRIN_ROOT/build/app/kestrin" "$@"
fi
exec "$KESTRIN_ROOT/build/cli/kestrin-cli" --help
