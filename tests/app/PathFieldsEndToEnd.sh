#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The path fields in a real X window (Xvfb): a path put on the X clipboard, once as text
# and once as a copied file (text/uri-list), is pasted with Ctrl+V into the split source
# field; Start stays disabled before and splits the pasted file after. A copied file pasted
# over the selected target folder is refused and does not land through the field's own
# paste. Emptying the source shows "<Required.>", and a path typed over the message goes
# into the field. Screenshots go to the folder given as the second argument (when given),
# for a person to look at.
#   PathFieldsEndToEnd.sh PROGRAM [SCREENSHOT_FOLDER]
set -euo pipefail
program=$1
shots=${2:-}

source "$(dirname "$0")/XvfbSession.sh"

# Owns the clipboard with these bytes of the given type until the next copy.
copy() { # type, text
    if [ -n "${clip:-}" ]; then
        kill "$clip" 2>/dev/null || true
        wait "$clip" 2>/dev/null || true
    fi
    printf '%s' "$2" | xclip -selection clipboard -t "$1" -quiet >/dev/null 2>&1 &
    clip=$!
    pids+=("$clip")
    for _ in $(seq 50); do
        [ "$(xclip -selection clipboard -o -t "$1" 2>/dev/null)" = "$2" ] && return 0
        sleep 0.1
    done
    fail "the clipboard does not hold $2"
}
# The split source field has the keyboard after its label's access key; the pointer is
# kept off the field's button so that entering the field lands in its text.
focus_source() {
    xdotool mousemove 0 0
    xdotool key alt+f
    sleep 0.3
}

mkdir -p "$work/in" "$work/out" "$work/other"
printf 'head\r\n#####\r\nfirst line\r\n#####\r\nsecond\r\n' >"$work/in/notes.txt"
printf 'one#####two' >"$work/other/two parts.txt"
printf 'typed#####by hand' >"$work/in/typed.txt"
cat >"$settings" <<SETTINGS
[fwMain]
Left=20
Top=20
ssMain=0
[&Split File]
ucTarget=$work/out/
tbDelimiter=#####
obFileName=0
SETTINGS

start_window paths

# No source yet: Start is disabled, its access key writes nothing.
xdotool key alt+r
sleep 0.5
[ -z "$(ls -A "$work/out")" ] || fail "Start ran without a source"

# A path copied as text.
copy text/plain "$work/in/notes.txt"
focus_source
xdotool key ctrl+v
sleep 0.5
shoot paste-text
xdotool key alt+r
wait_for "$work/out/notes_3.txt"
expect_bytes "$work/out/notes_1.txt" 'head'
expect_bytes "$work/out/notes_3.txt" '\r\nsecond'

# A copied file, as file managers put it on the clipboard; its name has a blank.
copy text/uri-list "file://$work/other/two%20parts.txt"
focus_source
xdotool key ctrl+v
sleep 0.5
shoot paste-file
xdotool key alt+r
wait_for "$work/out/two parts_2.txt"
expect_bytes "$work/out/two parts_1.txt" 'one'
expect_bytes "$work/out/two parts_2.txt" 'two'

# A file is no target folder: pasted over the selected folder it is refused, and the
# field keeps its folder (the split below lands there).
copy text/uri-list "file://$work/other/two%20parts.txt"
xdotool mousemove 0 0
xdotool key alt+t
sleep 0.3
xdotool key ctrl+a ctrl+v
sleep 0.5
shoot target-refused

# Emptied by the user: the field says what it needs.
focus_source
xdotool key ctrl+a BackSpace
sleep 0.5
shoot source-required

# Typing over the message: the path goes into the field, and Start splits it.
xdotool type --delay 30 "$work/in/typed.txt"
sleep 0.5
shoot source-typed
xdotool key alt+r
wait_for "$work/out/typed_2.txt"
expect_bytes "$work/out/typed_1.txt" 'typed'
expect_bytes "$work/out/typed_2.txt" 'by hand'

echo "path fields end to end: text and file pastes split byte-exact, a refused paste kept out, a path typed over <Required.>${shots:+; screenshots in $shots}"
