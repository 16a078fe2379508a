#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The built program in a real X window (Xvfb): started with a settings file that names
# a source and a delimiter, the Start access key splits it, and the fragment files must be
# byte-exact; the same for a join. Screenshots of both tabs go to the folder given as the
# second argument (when given), for a person to look at.
#   EndToEnd.sh PROGRAM [SCREENSHOT_FOLDER]
set -euo pipefail
program=$1
shots=${2:-}

source "$(dirname "$0")/XvfbSession.sh"

# Split: three fragments, CR LF line ends, auto-numbered beside a fresh target folder.
mkdir -p "$work/in" "$work/out"
printf 'head\r\n#####\r\nfirst line\r\n#####\r\nsecond\r\n' >"$work/in/notes.txt"
cat >"$settings" <<SETTINGS
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
start_window split
shoot split-tab
xdotool key alt+r
wait_for "$work/out/notes_3.txt"
sleep 0.5
shoot split-done
expect_bytes "$work/out/notes_1.txt" 'head'
expect_bytes "$work/out/notes_2.txt" '\r\nfirst line'
expect_bytes "$work/out/notes_3.txt" '\r\nsecond'
stop_window

# Join: the fragments listed by the split, each with its path as a line of its own.
cat >"$settings" <<SETTINGS
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
start_window join
shoot join-tab
xdotool key alt+r
wait_for "$work/joined.txt"
sleep 0.5
shoot join-done
expect_bytes "$work/joined.txt" \
    "\r\n-----$work/out/notes_1.txt\r\nhead\r\n-----$work/out/notes_2.txt\r\n\r\nfirst line\r\n-----$work/out/notes_3.txt\r\n\r\nsecond"
stop_window

# A long split: the progress bar over the "Info" panel while the run goes on.
if [ -n "$shots" ]; then
    mkdir -p "$work/long"
    seq 1 60000 | tr '\n' '#' >"$work/in/long.txt"
    cat >"$settings" <<SETTINGS
[fwMain]
Left=20
Top=20
[&Split File]
ucSource=$work/in/long.txt
ucTarget=$work/long/
tbDelimiter=#
SETTINGS
    start_window long
    xdotool key alt+r
    wait_for "$work/long/long_05000.txt"
    shoot split-running
    stop_window
fi

echo "end to end: split and join byte-exact${shots:+; screenshots in $shots}"
