#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window as a screen reader meets it: a real AT-SPI bus (dbus-run-session, at-spi2-core),
# the built program in a real X window (Xvfb) with Qt's accessibility bridge on, and its
# accessible tree walked and checked by AtspiTree.py: every object a user reaches has a name,
# and the controls have the roles and names of AccessibleNames.txt; then the same with a
# validation message shown. The tree dumps go to the folder given as the second argument.
#   Accessibility.sh PROGRAM [DUMP_FOLDER]
set -euo pipefail
source "$(dirname "$0")/AtspiSession.sh"

mkdir -p "$work/in" "$work/out"
printf 'one##two##three' >"$work/in/notes.txt"
cat >"$settings" <<SETTINGS
[fwMain]
ssMain=0
[&Split File]
ucSource=$work/in/notes.txt
ucTarget=$work/out/
tbDelimiter=##
SETTINGS
dumps=${shots:-$work}
mkdir -p "$dumps"
start_window accessibility
/usr/bin/python3 "$here/AtspiTree.py" kestrin "$here/AccessibleNames.txt" "$dumps/atspi-split-tab.txt" ||
    fail "the accessible tree (dump: $dumps/atspi-split-tab.txt)"

# The target field emptied with Delete: its message is part of what a reader says about it.
xdotool key alt+t
sleep 0.3
xdotool key Delete
sleep 0.5
printf 'text\tTarget Folder\t<Same as Source.>\n' >"$work/required.txt"
/usr/bin/python3 "$here/AtspiTree.py" kestrin "$work/required.txt" "$dumps/atspi-message.txt" ||
    fail "the validation message is not exposed (dump: $dumps/atspi-message.txt)"
stop_window
echo "Accessible tree checked on a real AT-SPI bus; dumps in $dumps"
