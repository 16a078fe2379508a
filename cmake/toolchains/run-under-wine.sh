#!/bin/sh
# SPDX-License-Identifier: MIT
# run-under-wine.sh WINE PROGRAM.exe [ARGS...]: runs a Windows program under Wine for CTest,
# its output passed on through files once it has ended. Wine's own processes that the
# program may start (services, the desktop) inherit its output and outlive it; had they
# been given CTest's pipes, CTest would wait for them until its timeout.
wine=$1
shift
out=$(mktemp) && err=$(mktemp) || exit 125
"$wine" "$@" >"$out" 2>"$err" &
child=$!
trap 'kill "$child" 2>/dev/null; wait "$child"; cat "$out"; cat "$err" >&2; rm -f "$out" "$err"; exit 124' TERM INT HUP
wait "$child"
status=$?
# A program that ends in failure before its first word is Wine's doing, not the test's:
# say so, with the status, rather than leave an empty failure.
if [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
  echo "run-under-wine.sh: $1 ended with status $status before printing anything" >"$err"
fi
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit "$status"
