#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Counts the system calls of two splits into new folders, of N and 2N fragments (sources
# above 1 MiB, so that the source is mapped and checked before every link), with strace,
# and fails when a fragment costs more than one open, one link, one close and one look
# at a file (stat and its kin) besides its writes. The difference of the two runs is what
# N fragments cost, whatever the program does once. Exit 77 (skipped) without strace.
#   SystemCalls.sh KESTRIN_CLI WORK_FOLDER
set -euo pipefail
cli=$(realpath "$1")
work=$2
if ! command -v strace >/dev/null || ! strace -f -qq -o /dev/null true 2>/dev/null; then
  echo "skipped: strace is missing or may not trace here"
  exit 77
fi
# A sanitizer build: LeakSanitizer cannot run under a tracer, and it checks nothing here.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
rm -rf "$work"
mkdir -p "$work"
cd "$work"

n=600
make_source() {
  local count=$1
  for ((i = 1; i <= count; i++)); do
    [ "$i" -gt 1 ] && printf '=====\n'
    printf 'fragment %d %02000d\n' "$i" 0
  done >"src$count.txt"
}
make_source $n
make_source $((2 * n))

# "open link close look" for one split into a new folder.
count_calls() {
  strace -f -c -U calls,syscall -o "trace$1.txt" "$cli" split "src$1.txt" -d '=====' -t "out$1" >/dev/null
  [ "$(ls "out$1" | wc -l)" -eq "$1" ] || { echo "FAIL: the split of $1 fragments wrote $(ls "out$1" | wc -l) files"; exit 1; }
  awk '
    $2 ~ /^(open|openat|openat2|creat)$/ { opens += $1 }
    $2 ~ /^(link|linkat|rename|renameat|renameat2)$/ { links += $1 }
    $2 == "close" { closes += $1 }
    $2 ~ /^(stat|lstat|fstat|newfstatat|statx|access|faccessat|faccessat2|readlink|readlinkat)$/ { looks += $1 }
    END { print opens + 0, links + 0, closes + 0, looks + 0 }' "trace$1.txt"
}
read -r o1 l1 c1 k1 < <(count_calls $n)
read -r o2 l2 c2 k2 < <(count_calls $((2 * n)))
per() { awk -v a="$1" -v b="$2" -v n="$n" 'BEGIN { printf "%.2f", (b - a) / n }'; }
over() { awk -v v="$1" -v budget="$2" 'BEGIN { exit !(v > budget) }'; }
open=$(per "$o1" "$o2") link=$(per "$l1" "$l2") close=$(per "$c1" "$c2") look=$(per "$k1" "$k2")
echo "per fragment: open $open, link $link, close $close, look $look (budget 1 each)"
failed=0
for pair in "open $open" "link $link" "close $close" "look $look"; do
  set -- $pair
  if over "$2" 1; then
    echo "FAIL: a fragment costs $2 $1 calls"
    failed=1
  fi
done
cd /
rm -rf "$work"
exit $failed
