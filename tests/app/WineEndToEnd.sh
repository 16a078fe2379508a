#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows build of the window under Wine on the real windows platform, on the display
# the caller gives (DISPLAY; test-windows.sh starts one Xvfb for its whole run): a copy of
# the program with its DLLs in a work folder splits and joins through its Start access key,
# byte-exact; asks in the system's message box before overwriting (Escape cancels, the file
# stays); opens the system's file dialog from a browse button; takes a file dropped on the
# source field as the shell drops it (XDND from XdndDrop.py, which Wine hands over as an
# OLE drop of CF_HDROP) and refuses a dropped folder; registers itself in
# HKEY_LOCAL_MACHINE (checked with Wine's reg) and keeps kestrin.dat beside kestrin.exe. Screenshots (windows-*.png) of the first start, both tabs,
# a run with the progress bar and "<Required.>" go to the folder given as the second argument.
#   WineEndToEnd.sh BIN_FOLDER SCREENSHOT_FOLDER WINE
set -euo pipefail
bin=$1
shots=$2
wine=$3
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY: Qt programs under Wine need one" >&2; exit 1; }
# Debian's python3-xlib is the system Python's, whatever python3 comes first on the PATH.
xdnd_drop=(/usr/bin/python3 "$(cd "$(dirname "$0")" && pwd)/XdndDrop.py")
"${xdnd_drop[0]}" -c 'import Xlib' 2>/dev/null ||
    { echo "FAIL: no python3-xlib for XdndDrop.py (apt-get install python3-xlib)" >&2; exit 1; }

work=$(mktemp -d /tmp/kestrin-wine-e2e-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    # The DPI step's setting, should it have stopped halfway.
    "$wine" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# A command that stops the script through set -e (a pipeline's failure in an assignment,
# say) says which one it was.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited $?" >&2' ERR
# A path of the work folder as the program sees it (Wine's drive Z: is the Unix root).
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# The program as a user unpacks it: kestrin.exe with its DLLs and plugins, no build marker.
mkdir -p "$work/app" "$work/in" "$work/out"
cp "$bin/kestrin.exe" "$bin"/*.dll "$work/app/"
cp -r "$bin/platforms" "$bin/styles" "$work/app/"
rm -f "$work/app/platforms/qoffscreen.dll"
settings="$work/app/kestrin.dat"
# Qt's own platform on Windows: Wine passes no QT_* variable (QT_QPA_PLATFORM included).

app_paths='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\kestrin.exe'
own_key='HKLM\Software\Tarrowby\Kestrin'
"$wine" reg delete "$app_paths" /f >/dev/null 2>&1 || true
"$wine" reg delete "$own_key" /f >/dev/null 2>&1 || true

# The shown windows whose names match, as xdotool finds them. xdotool stops with an X error
# when a window goes away while it looks (Wine makes and drops windows of its own as a
# program starts), so such a search is made again.
shown() { # name pattern, xdotool's other search options
    local found pattern=$1
    shift
    for _ in $(seq 20); do
        found=$(xdotool search --onlyvisible "$@" --name "$pattern" 2>"$work/search.err") || true
        grep -q 'X Error' "$work/search.err" || { [ -z "$found" ] || echo "$found"; return 0; }
        sleep 0.1
    done
    fail "xdotool could not search the windows: $(cat "$work/search.err")"
}
wait_for_window() { # name pattern, tenths of a second
    local found
    for _ in $(seq "$2"); do
        found=$(shown "$1" | head -n 1)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.1
    done
}
start_window() { # log name
    (cd "$work" && exec "$wine" "$work/app/kestrin.exe" >"$work/kestrin-$1.log" 2>&1) &
    pids+=($!)
    window=$(wait_for_window '^Kestrin 1\.13$' 600)
    [ -n "$window" ] || fail "no window: $(cat "$work/kestrin-$1.log")"
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window" || true
    sleep 1 # let it paint
}
# Alt+F4 closes the window as a user does, so that it saves its settings.
close_window() {
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key alt+F4
    for _ in $(seq 150); do kill -0 "${pids[-1]}" 2>/dev/null || break; sleep 0.1; done
    kill -0 "${pids[-1]}" 2>/dev/null && fail "the window did not close on Alt+F4"
    wait "${pids[-1]}" 2>/dev/null || true
    unset 'pids[-1]'
}
shoot() { # name
    mkdir -p "$shots"
    import -window "$window" "$shots/windows-$1.png"
}
wait_for() { # file [tenths of a second]
    for _ in $(seq "${2:-300}"); do [ -e "$1" ] && return 0; sleep 0.1; done
    fail "$1 did not appear"
}
expect_bytes() { # file, expected bytes as a printf format
    printf "$2" >"$work/expected"
    cmp "$work/expected" "$1" || fail "$1 differs: $(od -c "$1" | head -n 5)"
}
shown_windows() { shown '' --maxdepth 1 | sort; }
browse_and_cancel() { # field's path, the field's height in the window, screenshot name
    local before dialog
    before=$(shown_windows)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove --window "$window" $((WIDTH - 25)) "$2" click 1
    dialog=
    for _ in $(seq 100); do
        dialog=$(comm -13 <(echo "$before") <(shown_windows) | head -n 1)
        [ -n "$dialog" ] && break
        sleep 0.1
    done
    [ -n "$dialog" ] || fail "no $3"
    sleep 1
    import -window root "$shots/windows-$3.png"
    xdotool windowfocus "$dialog" 2>/dev/null || true
    xdotool key Escape
    for _ in $(seq 50); do shown_windows | grep -qx "$dialog" || break; sleep 0.1; done
    shown_windows | grep -qx "$dialog" && fail "the $3 did not close on Escape"
    xdotool windowfocus "$window" 2>/dev/null || true
    [ -e "$1" ] || fail "$1 is gone"
}
# Drops paths on the point of the window at the given height, a third of the way across
# (in the field's text, clear of its browse button), as a file manager does.
drop_on() { # height in the window, paths...
    local height=$1
    shift
    eval "$(xdotool getwindowgeometry --shell "$window")"
    "${xdnd_drop[@]}" "$window" $((WIDTH / 3)) "$height" "$@" ||
        fail "the drop of $* was not taken: $(tail -n 5 "$work/kestrin-split.log")"
    sleep 0.5
}
reg_value() { # key value ("" for the default value)
    local which=(/v "$2")
    [ -n "$2" ] || which=(/ve)
    "$wine" reg query "$1" "${which[@]}" /reg:64 2>/dev/null | tr -d '\r' |
        awk '$0 ~ / REG_SZ / { sub(/^.* REG_SZ +/, ""); print }'
}

# First start without settings: the program registers itself, and closing writes
# kestrin.dat beside kestrin.exe and nowhere else.
start_window first
shoot first-start
close_window
[ -f "$settings" ] || fail "no kestrin.dat beside kestrin.exe"
grep -q '^\[fwMain\]' "$settings" || fail "kestrin.dat holds no window settings"
strays=$(find "$WINEPREFIX"/drive_c/users/*/AppData -name 'kestrin.dat' 2>/dev/null | head -n 1)
[ -z "$strays" ] || fail "settings written to $strays"
program=$(winpath "$work/app/kestrin.exe")
folder=$(winpath "$work/app")
for check in "$app_paths||$program" "$app_paths|Path|$folder" "$own_key||$folder" \
    "$own_key|CurrentVersion|1.13"; do
    IFS='|' read -r key value expected <<<"$check"
    got=$(reg_value "$key" "$value")
    [ "$got" = "$expected" ] || fail "$key ${value:-(default)} is '$got', not '$expected'"
done
echo "registered: $program; settings beside it"

# Split: three fragments, CR LF line ends, auto-numbered into the target folder.
printf 'head\r\n#####\r\nfirst line\r\n#####\r\nsecond\r\n' >"$work/in/notes.txt"
printf '[fwMain]\r\nLeft=20\r\nTop=20\r\nssMain=0\r\n[&Split File]\r\nucSource=%s\r\nucTarget=%s\r\ntbDelimiter=#####\r\nobFileName=0\r\nchFileList=1\r\n' \
    "$(winpath "$work/in/notes.txt")" "$(winpath "$work/out/")" >"$settings"
start_window split
shoot split-tab
xdotool key alt+r
wait_for "$work/out/notes_List.txt"
sleep 0.5
shoot split-done
expect_bytes "$work/out/notes_1.txt" 'head'
expect_bytes "$work/out/notes_2.txt" '\r\nfirst line'
expect_bytes "$work/out/notes_3.txt" '\r\nsecond'
# Splitting again over the fragments asks first, in the system's message box; Escape
# cancels, and the fragment stays as it is.
printf 'mine' >"$work/out/notes_1.txt"
xdotool key alt+r
box=$(wait_for_window '^Kestrin$' 300)
[ -n "$box" ] || fail "no question before overwriting"
sleep 0.5
import -window root -crop 800x400+0+0 "$shots/windows-overwrite-question.png"
xdotool windowfocus "$box" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 50); do [ -n "$(shown '^Kestrin$')" ] || break; sleep 0.1; done
expect_bytes "$work/out/notes_1.txt" 'mine'
printf 'head' >"$work/out/notes_1.txt"
xdotool windowfocus "$window" 2>/dev/null || true

# The browse buttons open the system's file and folder dialogs (windows of Wine's own,
# without a name); Escape cancels them and the fields keep their paths.
browse_and_cancel "$work/in/notes.txt" 53 file-dialog
browse_and_cancel "$work/out/" 82 folder-dialog

# A file dropped on the source field from the shell becomes the source: Start splits it,
# named after it.
printf 'one#####two#####three' >"$work/in/dropped.txt"
drop_on 53 "$work/in/dropped.txt"
shoot dropped
xdotool key alt+r
wait_for "$work/out/dropped_List.txt"
expect_bytes "$work/out/dropped_1.txt" 'one'
expect_bytes "$work/out/dropped_2.txt" 'two'
expect_bytes "$work/out/dropped_3.txt" 'three'
# A dropped folder is no source: Start stays disabled, so nothing is split, neither the
# folder nor the file before it (its fragments are gone, so a split would show), and no
# message comes up. Start is clicked, not pressed: Alt+R with Start disabled would type
# an r into the focused field.
rm "$work/out"/dropped_*
mkdir "$work/in/folder.txt"
before=$(ls -A "$work/out" "$work/in")
drop_on 53 "$work/in/folder.txt"
xdotool mousemove --window "$window" $((WIDTH - 45)) 14 click 1
sleep 2
[ "$(ls -A "$work/out" "$work/in")" = "$before" ] ||
    fail "a dropped folder was split: $(ls -A "$work/out" "$work/in")"
kill -0 "${pids[-1]}" 2>/dev/null || fail "the window stopped after a folder was dropped"
[ "$(shown '^Kestrin' | wc -l)" -eq 1 ] ||
    fail "a window came up after a folder was dropped and Start pressed"

# Emptied by the user (Alt+F is the source's access key): the field says what it needs.
xdotool key alt+f ctrl+a BackSpace
sleep 0.5
shoot required
close_window

# Join: the three fragments, each under its name. The list is one of our own: the run
# cancelled above began the split's list anew.
one=$(winpath "$work/out/notes_1.txt")
two=$(winpath "$work/out/notes_2.txt")
three=$(winpath "$work/out/notes_3.txt")
printf '%s\r\n%s\r\n%s\r\n' "$one" "$two" "$three" >"$work/list.txt"
list=$(winpath "$work/list.txt")
printf '[fwMain]\r\nLeft=20\r\nTop=20\r\nssMain=1\r\n[&Join Files]\r\nucSource=%s\r\nucTarget=%s\r\ntbDelimiter=-----\r\nchFileName=1\r\n' \
    "$list" "$(winpath "$work/joined.txt")" >"$settings"
start_window join
shoot join-tab
xdotool key alt+r
wait_for "$work/joined.txt"
sleep 0.5
shoot join-done
expect_bytes "$work/joined.txt" \
    "\r\n-----${one//\\/\\\\}\r\nhead\r\n-----${two//\\/\\\\}\r\n\r\nfirst line\r\n-----${three//\\/\\\\}\r\n\r\nsecond"
close_window

# A run long enough to be seen: 3,000 fragments (Wine makes files slowly).
awk 'BEGIN { for (i = 1; i <= 3000; i++) printf "%s%d", (i > 1 ? "#" : ""), i }' >"$work/in/long.txt"
mkdir -p "$work/long"
printf '[fwMain]\r\nLeft=20\r\nTop=20\r\nssMain=0\r\n[&Split File]\r\nucSource=%s\r\nucTarget=%s\r\ntbDelimiter=#\r\nobFileName=0\r\nchSilent=1\r\n' \
    "$(winpath "$work/in/long.txt")" "$(winpath "$work/long/")" >"$settings"
start_window progress
xdotool key alt+r
wait_for "$work/long/long_0100.txt"
shoot progress
wait_for "$work/long/long_3000.txt" 1200
expect_bytes "$work/long/long_3000.txt" '3000'
close_window
# The screen's DPI: at 144 the window's twips come out half as many pixels again.
desktop='HKCU\Control Panel\Desktop'
"$wine" reg add "$desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
start_window dpi
eval "$(xdotool getwindowgeometry --shell "$window")"
shoot dpi-144
close_window
"$wine" reg delete "$desktop" /v LogPixels /f >/dev/null
# The designed 600x240 half as large again at least (more where the font needs it), and on
# the 1280x1024 screen.
[ "$WIDTH" -ge 900 ] && [ "$HEIGHT" -ge 360 ] && [ "$WIDTH" -le 1280 ] && [ "$HEIGHT" -le 1024 ] ||
    fail "at 144 DPI the window is ${WIDTH}x${HEIGHT}, not at least 900x360 on the screen"

echo "window under Wine: split, overwrite question, file and folder dialogs, a dropped file and folder, join, a long run, 144 DPI; screenshots in $shots"
