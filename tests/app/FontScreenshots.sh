#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The built program in a real X window at desktop fonts of 8, 14 and 20 points (set as a KDE
# desktop sets them, in kdeglobals, which Qt's KDE theme reads) and at QT_SCALE_FACTOR=2:
# each window must lie wholly on the screen; the screenshots (font-8pt, font-14pt, font-20pt,
# scale-2) go to the folder given, for a person to look at. The run at scale 2 starts from a
# position remembered at scale 1 that lies off the screen at scale 2: the window opens centred.
#   FontScreenshots.sh PROGRAM [SCREENSHOT_FOLDER]
set -euo pipefail
program=$1
shots=${2:-}
xvfb_screen=2560x1440x24

source "$(dirname "$0")/XvfbSession.sh"

mkdir -p "$work/in" "$work/out"
printf 'one##two##three' >"$work/in/notes.txt"
write_settings() { # left top
    cat >"$settings" <<SETTINGS
[fwMain]
Left=$1
Top=$2
ssMain=0
[&Split File]
ucSource=$work/in/notes.txt
ucTarget=$work/out/
tbDelimiter=##
obFileName=1
chFileList=1
SETTINGS
}
# The window (no window manager: no frame) wholly on the screen.
on_screen() { # name
    local X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$window")"
    read -r sw sh < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')
    echo "$1: ${WIDTH}x${HEIGHT} at $X,$Y on ${sw}x${sh}"
    [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$sw" ] && [ $((Y + HEIGHT)) -le "$sh" ] ||
        fail "$1: the window ${WIDTH}x${HEIGHT} at $X,$Y is not wholly on the ${sw}x${sh} screen"
}

export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5
for points in 8 14 20; do
    printf '[General]\nfont=DejaVu Sans,%s,-1,5,50,0,0,0,0,0\n' "$points" >"$XDG_CONFIG_HOME/kdeglobals"
    write_settings 20 20
    start_window "font-$points"
    on_screen "font-${points}pt"
    shoot "font-${points}pt"
    stop_window
done
unset XDG_CURRENT_DESKTOP KDE_SESSION_VERSION

# 1500,900 lies on the 2560x1440 screen at scale 1; at scale 2 the screen is 1280x720.
write_settings 1500 900
QT_SCALE_FACTOR=2 start_window scale-2
on_screen scale-2
shoot scale-2
stop_window
echo "fonts and scales: every window on the screen${shots:+; screenshots in $shots}"
