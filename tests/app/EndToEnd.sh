#!/usr/bin/env bash
# The built program in a real X window (Xvfb): started with a settings file that names
# a source and a delimiter, the Start access key splits it, and the fragment files must be
# byte-exact; the same for a join. Screenshots of both tabs go to the folder given as the
# second argument (when given), for a person to look at.
#   EndToEnd.sh PROGRAM [SCREENSHOT_FOLDER]
set -euo pipefail
program=$1
shots=${2:-}

work=$(mktemp -d /tmp/kestrin-e2e-XXXXXX)
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
for n in $(seq 140 199); do
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

# Starts the program, waits for its window and leaves its id in $window.
start() {
    "$work/kestrin" >"$work/kestrin-$1.log" 2>&1 &
    pids+=($!)
    window=$(xdotool search --sync --onlyvisible --name '^Kestrin 1\.13$' | head -n 1)
    [ -n "$window" ] || fail "no window"
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    sleep 0.5 # let it paint
}
shoot() {
    if [ -n "$shots" ]; then
        mkdir -p "$shots"
        import -window "$window" "$shots/$1.png"
    fi
}
stop() {
    kill "${pids[-1]}"
    wait "${pids[-1]}" 2>/dev/null || true
    unset 'pids[-1]'
}
wait_for() {
    for _ in $(seq 100); do [ -e "$1" ] && return 0; sleep 0.1; done
    fail "$1 did not appear"
}
expect_bytes() { # file, expected bytes as a printf format
    printf "$2" >"$work/expected"
    cmp "$work/expected" "$1" || fail "$1 differs: $(od -c "$1" | head -n 5)"
}

# Split: three fragments, CR LF line ends, auto-numbered beside a fresh target folder.
mkdir -p "$work/in" "$work/out"
printf 'head\r\n#####\r\nfirst line\r\n#####\r\nsecond\r\n' >"$work/in/notes.txt"
cat >"$work/kestrin.dat" <<SETTINGS
[fwMain]
Left=20
Top=20
ssMain=0
[&Split File]
ucSource=$work/in/notes.txt
ucTarget=$work/out/
tbDelimiter=#####
obFileName=0
chFileList=1
SETTINGS
start split
shoot split-tab
xdotool key alt+r
wait_for "$work/out/notes_3.txt"
sleep 0.5
shoot split-done
expect_bytes "$work/out/notes_1.txt" 'head'
expect_bytes "$work/out/notes_2.txt" '\r\nfirst line'
expect_bytes "$work/out/notes_3.txt" '\r\nsecond'
stop

# Join: the fragments listed by the split, each with its path as a line of its own.
cat >"$work/kestrin.dat" <<SETTINGS
[fwMain]
Left=20
Top=20
ssMain=1
[&Join Files]
ucSource=$work/out/notes_List.txt
ucTarget=$work/joined.txt
tbDelimiter=-----
chFileName=1
SETTINGS
start join
shoot join-tab
xdotool key alt+r
wait_for "$work/joined.txt"
sleep 0.5
shoot join-done
expect_bytes "$work/joined.txt" \
    "\r\n-----$work/out/notes_1.txt\r\nhead\r\n-----$work/out/notes_2.txt\r\n\r\nfirst line\r\n-----$work/out/notes_3.txt\r\n\r\nsecond"
stop

# A long split: the progress bar over the "Info" panel while the run goes on.
if [ -n "$shots" ]; then
    mkdir -p "$work/long"
    seq 1 60000 | tr '\n' '#' >"$work/in/long.txt"
    cat >"$work/kestrin.dat" <<SETTINGS
[fwMain]
Left=20
Top=20
[&Split File]
ucSource=$work/in/long.txt
ucTarget=$work/long/
tbDelimiter=#
SETTINGS
    start long
    xdotool key alt+r
    wait_for "$work/long/long_05000.txt"
    shoot split-running
    stop
fi

echo "end to end: split and join byte-exact${shots:+; screenshots in $shots}"
