# SPDX-License-Identifier: MIT
# Sourced by a test script that walks the window's accessible tree: the script runs again
# inside a session bus of its own (which ends with it), then gets an Xvfb session
# (XvfbSession.sh) and the AT-SPI bus with Qt's accessibility bridge on.
# Sets program, shots (the optional second argument) and here.
if [ -z "${KESTRIN_ATSPI_SESSION:-}" ]; then
    exec env KESTRIN_ATSPI_SESSION=1 dbus-run-session -- bash "$0" "$@"
fi
program=$1
shots=${2:-}
here=$(cd "$(dirname "$0")" && pwd)

source "$here/XvfbSession.sh"

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)
