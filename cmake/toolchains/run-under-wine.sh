#!/bin/sh
# SPDX-License-Identifier: MIT
# run-under-wine.sh WINE PROGRAM.exe [ARGS...]: runs a Windows program under Wine for CTest,
# its output written to files and passed on from there while it runs. Wine's own processes
# that the program may start (services, the desktop) inherit its output and outlive it;
# had they been given CTest's pipes, CTest would wait for them until its timeout.
wine=$1
shift
out=$(mktemp) && err=$(mktemp) || exit 125
trap 'rm -f "$out" "$err"' EXIT
trap 'kill $child $followers 2>/dev/null; exit 124' TERM INT HUP

run() {
  "$wine" "$@" >"$out" 2>"$err" &
  child=$!
  # Followers end once the program has ended and all it wrote is passed on.
  tail -q -s 0.05 -n +1 -f --pid="$child" "$out" &
  followers=$!
  tail -q -s 0.05 -n +1 -f --pid="$child" "$err" >&2 &
  followers="$followers $!"
  wait "$child"
  status=$?
  wait $followers
  child=
  followers=
}

run "$@"
# A test program prints before it does anything else (GoogleTest flushes each line), so
# one that failed without a word never reached its main: Wine failed to start it, as seen
# once in a few hundred starts on a loaded machine. Started once more, and said so.
if [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
  echo "run-under-wine.sh: $1 ended with status $status before printing anything;" \
    "started again" >&2
  run "$@"
fi
exit "$status"
