# SPDX-License-Identifier: MIT
# Sourced by the end-to-end scripts: a work folder holding a copy of the program (it reads
# its settings file from $settings), a private Xvfb display, and the steps the scripts
# share. Expects $program (the built program) and $shots (screenshot folder, may be empty).

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

# The window in English, the source language, whatever the caller's locale (Languages.sh
# chooses its own).
unset LC_ALL LC_MESSAGES LANGUAGE
export LANG=C.UTF-8

# The settings and the registration's per-user record stay inside the work folder (the
# machine-wide record goes to /var/lib/kestrin only where the package made that folder).
export XDG_CONFIG_HOME="$work/xdg-user"
# The copy has no build-folder marker beside it, so it keeps its settings where an installed
# program does: in the user's configuration folder.
cp "$program" "$work/kestrin"
settings="$XDG_CONFIG_HOME/Tarrowby/kestrin.dat"
mkdir -p "${settings%/*}"

# Xvfb picks a free display itself, so parallel runs never meet. -noreset: by default the
# server resets when its last client leaves (xdpyinfo below, the AT-SPI bus launcher), and
# a program connecting during the reset is refused.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 "${xvfb_screen:-1024x768x24}" -dpi 96 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 30 -u "$displayfd" number || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$number"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not answer"

# Starts the program, waits for its window and leaves its id in $window.
start_window() { # log name
    "$work/kestrin" >"$work/kestrin-$1.log" 2>&1 &
    pids+=($!)
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kestrin 1\.13$' | head -n 1)
    [ -n "$window" ] || fail "no window"
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    sleep 0.5 # let it paint
}
stop_window() {
    kill "${pids[-1]}"
    wait "${pids[-1]}" 2>/dev/null || true
    unset 'pids[-1]'
}
shoot() { # name
    if [ -n "$shots" ]; then
        mkdir -p "$shots"
        import -window "$window" "$shots/$1.png"
    fi
}
wait_for() { # file
    for _ in $(seq 200); do [ -e "$1" ] && return 0; sleep 0.1; done
    fail "$1 did not appear"
}
expect_bytes() { # file, expected bytes as a printf format
    printf "$2" >"$work/expected"
    cmp "$work/expected" "$1" || fail "$1 differs: $(od -c "$1" | head -n 5)"
}
