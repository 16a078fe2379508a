#!/usr/bin/env bash
# The path fields in a real X window (Xvfb): a path put on the X clipboard, once as text
# and once as a copied file (text/uri-list), is pasted with Ctrl+V into the split source
# field; Start stays disabled before and splits the pasted file after. Emptying the field
# shows "<Required.>". Screenshots go to the folder given as the second argument (when
# given), for a person to look at.
#   PathFieldsEndToEnd.sh PROGRAM [SCREENSHOT_FOLDER]
set -euo pipefail
program=$1
shots=${2:-}

work=$(mktemp -d /tmp/kestrin-paths-e2e-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A display of our own, so that parallel runs never meet.
for n in $(seq 200 259); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=":$n"
        break
    fi
done
[ -n "${display:-}" ] || fail "no free X display"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"

# The program reads its settings file from beside itself.
cp "$program" "$work/kestrin"

shoot() {
    if [ -n "$shots" ]; then
        mkdir -p "$shots"
        import -window "$window" "$shots/$1.png"
    fi
}
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
wait_for() {
    for _ in $(seq 100); do [ -e "$1" ] && return 0; sleep 0.1; done
    fail "$1 did not appear"
}
expect_bytes() { # file, expected bytes as a printf format
    printf "$2" >"$work/expected"
    cmp "$work/expected" "$1" || fail "$1 differs: $(od -c "$1" | head -n 5)"
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
cat >"$work/kestrin.dat" <<SETTINGS
[fwMain]
Left=20
Top=20
ssMain=0
[&Split File]
ucTarget=$work/out/
tbDelimiter=#####
obFileName=0
SETTINGS

"$work/kestrin" >"$work/kestrin.log" 2>&1 &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name '^Kestrin 1\.13$' | head -n 1)
[ -n "$window" ] || fail "no window"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.5

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

# Emptied by the user: the field says what it needs.
focus_source
xdotool key ctrl+a BackSpace
sleep 0.5
shoot source-required

echo "path fields end to end: text and file pastes split byte-exact${shots:+; screenshots in $shots}"
