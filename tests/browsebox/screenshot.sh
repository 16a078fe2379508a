#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the screenshot form and shows it in a real X window under Xvfb; the PNG goes to
# screenshots/browsebox-form.png in the build folder (build-test unless one is given).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-"$root/build-test"}
cmake --build "$build" --target browsebox_screenshot
mkdir -p "$build/screenshots"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" \
  "$build/tests/browsebox/browsebox_screenshot" "$build/screenshots/browsebox-form.png"
