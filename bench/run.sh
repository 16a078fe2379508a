#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Kestrin (as the quick start does, without tests) and measures it against memchr,
# csplit, cat and wc -l on inputs it generates itself, and the window (offscreen) against
# kestrin-cli. Prints a table.
#   bash bench/run.sh            full sizes (about 16 GB of disk for a few minutes)
#   KESTRIN_BENCH_SCALE=16 bash bench/run.sh   every size divided by 16, for a quick look
set -euo pipefail
source "$(dirname "$0")/../scripts/deps.sh"
kestrin_install_missing
kestrin_build "$KESTRIN_ROOT/build-bench" -DKESTRIN_BUILD_TESTS=OFF >/dev/null

SCALE=${KESTRIN_BENCH_SCALE:-1}
BENCH="$KESTRIN_ROOT/build-bench/bench/kestrin-bench"
CLI="$KESTRIN_ROOT/build-bench/cli/kestrin-cli"
WINDOW="$KESTRIN_ROOT/build-bench/bench/kestrin-window-bench"
export QT_QPA_PLATFORM=offscreen
RUN="$KESTRIN_ROOT/bench/out/run-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$RUN"
trap 'rm -rf "$RUN"' EXIT
cd "$RUN"

mib() { echo $(($1 / SCALE)); }
# Seconds and peak KiB of a command: "time [--stdout FILE] -- CMD..."
measure() { "$BENCH" time "$@"; }
seconds() { awk '{print $1}' <<<"$1"; }
peak() { awk '{print $2}' <<<"$1"; }
status() { awk '{print $3}' <<<"$1"; }
user() { awk '{print $4}' <<<"$1"; }
system() { awk '{print $5}' <<<"$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
minimum() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }
# Rows are printed as they are measured, and kept in bench/out/results-*.md.
RESULTS="$KESTRIN_ROOT/bench/out/results-$(date +%Y%m%d-%H%M%S).md"
row() { echo "| $1 | $2 | $3 | $4 | $5 |" | tee -a "$RESULTS"; }

{
    echo "Measured on $(nproc) cores (shared with other work), scale 1/$SCALE."
    echo
    echo "| measurement | Kestrin | reference | ratio | target |"
    echo "|---|---|---|---|---|"
} | tee "$RESULTS"
echo "Generating inputs in $RUN ..." >&2
"$BENCH" gen-text text100 "$(mib 100)" 4096
"$BENCH" gen-text text1g "$(mib 1024)" 4096
"$BENCH" gen-dense dense1g "$(mib 1024)"
head -c $(($(mib 256) << 20)) text1g >text256
mkdir join-in && "$BENCH" gen-files join-in $((1000 / SCALE)) $((1 << 20))
"$BENCH" gen-text text-resplit "$(mib 100)" 1000
sync
# A file changed within the last second is read again on every keystroke (file times are
# coarse); let the inputs age so "next keystroke" measures the reuse, as a user sees it.
sleep 2

# The split against csplit on a RAM file system (the program's own cost, the disk's noise
# out) and on the disk: a 128 MiB source of about 48,000 fragments, three runs each, into
# new folders. Then the window's run of the same split against kestrin-cli's.
echo "Split at the file-creation floor ..." >&2
ram=$RUN/ram
mkdir -p "$ram"
if mount -t tmpfs -o size=$(($(mib 128) * 3 + $(mib 200) * 3 + 64))m tmpfs "$ram" 2>/dev/null; then
    trap 'umount "$ram" 2>/dev/null; rm -rf "$RUN"' EXIT
else
    ram=$(mktemp -d /dev/shm/kestrin-bench-XXXXXX)
    trap 'rm -rf "$ram" "$RUN"' EXIT
fi
floor_split() { # FOLDER: best wall, user and system seconds and peak KiB of each program
    local where=$1 bk=999 bc=999 uk=999 sk=999 pk=0 k c
    "$BENCH" gen-text "$where/s128" "$(mib 128)" 2730
    for i in 1 2 3; do
        rm -rf "$where/k" "$where/c" && mkdir "$where/k" "$where/c"
        sync
        k=$(measure -- "$CLI" split "$where/s128" -d $'=====\n' -t "$where/k" --silent)
        [ "$(status "$k")" = 0 ] || { echo "split failed" >&2; exit 1; }
        c=$(cd "$where/c" && measure -- csplit -s -z -f part "$where/s128" '/^=====$/' '{*}')
        bk=$(minimum "$bk" "$(seconds "$k")")
        bc=$(minimum "$bc" "$(seconds "$c")")
        uk=$(minimum "$uk" "$(user "$k")")
        sk=$(minimum "$sk" "$(system "$k")")
        pk=$(peak "$k")
    done
    echo "$bk $bc $uk $sk $pk $(ls "$where/k" | wc -l)"
    rm -rf "$where/k" "$where/c" "$where/s128"
}
mkdir -p disk-floor
read -r bk bc uk sk pk n <<<"$(floor_split "$ram")"
row "split $(mib 128) MiB into $n new fragments, RAM (tmpfs)" "$bk s (user $uk s, system $sk s)" "csplit $bc s" "$(ratio "$bk" "$bc")" "<= 1.0"
row "split, user time per 128 MiB" "$(awk -v u="$uk" -v s="$SCALE" 'BEGIN { printf "%.2f", u * s }') s" "" "" "<= 0.3 s"
row "split, peak memory" "$((pk / 1024)) MiB" "" "" "<= 40 MiB"
read -r bk bc uk sk pk n <<<"$(floor_split "$PWD/disk-floor")"
row "split $(mib 128) MiB into $n new fragments, disk" "$bk s (user $uk s, system $sk s)" "csplit $bc s" "$(ratio "$bk" "$bc")" "<= 1.0 (noise allowing)"
# The window's run of the same split into new folders, 80,000 fragments (full scale).
"$BENCH" gen-text "$ram/s80k" "$(mib 200)" 2550
best_k=999; best_w=999
for i in 1 2; do
    rm -rf "$ram/wk" "$ram/ww" && mkdir -p "$ram/wk" "$ram/ww" window-new
    k=$(measure -- "$CLI" split "$ram/s80k" -d '=====' -t "$ram/wk" --silent)
    printf '[&Split File]\nucSource=%s\nucTarget=%s\ntbDelimiter=%s\nobFileName=0\nchSilent=1\n' \
        "$ram/s80k" "$ram/ww/" '=====' >window-new/kestrin.dat
    w=$("$WINDOW" split "$PWD/window-new" 2>/dev/null | awk '{print $2}')
    best_k=$(minimum "$best_k" "$(seconds "$k")")
    best_w=$(minimum "$best_w" "$w")
done
row "window split into $(ls "$ram/ww" | wc -l) new fragments, RAM" "$best_w s" "kestrin-cli $best_k s" "$(ratio "$best_w" "$best_k")" "<= 1.2"
rm -rf "$ram"/*

echo "Recount ..." >&2
for f in text100 text1g; do
    # Rare first byte, common first and last byte, one common character.
    scan=$("$BENCH" scan "$f" '=====' $'\n=====\n' $'\n')
    rare=$(awk 'NR==2 {print $2}' <<<"$scan")
    common=$(awk 'NR==3 {print $2}' <<<"$scan")
    lines=$(awk 'NR==4 {print $2}' <<<"$scan")
    memchr_s=$(awk 'NR==1 {print $2}' <<<"$scan")
    row "recount $f, \"=====\" (cut in memory)" "$rare s" "memchr $memchr_s s" "$(ratio "$rare" "$memchr_s")" "<= 1.3"
    row "recount $f, \"\\n=====\\n\" (first byte common)" "$common s" "memchr $memchr_s s" "$(ratio "$common" "$memchr_s")" "<= 1.3"
    row "recount $f, \"\\n\" (every line)" "$lines s" "memchr $memchr_s s" "$(ratio "$lines" "$memchr_s")" ""
    keys=$("$BENCH" keystroke "$f" '=====')
    first=$(awk '{print $2}' <<<"$keys")
    again=$(awk '{print $4}' <<<"$keys")
    if [ "$f" = text1g ]; then target="<= 0.15"; else target=""; fi
    row "keystroke $f: first (read + cut)" "$first s" "" "" "$target"
    row "keystroke $f: next (file unchanged)" "$again s" "memchr $memchr_s s" "$(ratio "$again" "$memchr_s")" ""
done
keys=$("$BENCH" keystroke dense1g ',')
row "worst keystroke: \",\" x $(awk '{print $6}' <<<"$keys") in dense1g, first" "$(awk '{print $2}' <<<"$keys") s, peak $(( $(awk '{print $8}' <<<"$keys") / 1024 )) MiB" "source $(($(stat -c %s dense1g) >> 20)) MiB" "" "<= ~1 s"
row "worst keystroke, next" "$(awk '{print $4}' <<<"$keys") s" "" "" ""

best_k=999; best_w=999
for i in 1 2 3; do
    k=$(measure -- "$CLI" count split text256 -d '=====')
    w=$(measure -- wc -l text256)
    best_k=$(minimum "$best_k" "$(seconds "$k")")
    best_w=$(minimum "$best_w" "$(seconds "$w")")
done
row "kestrin-cli count split (256 MiB)" "$best_k s" "wc -l $best_w s" "$(ratio "$best_k" "$best_w")" "<= 1.5"

echo "Window start-up with a restored 1 GiB source ..." >&2
mkdir start-1g
printf '[&Split File]\nucSource=%s\ntbDelimiter=%s\nobFileName=0\n' "$PWD/text1g" '=====' >start-1g/kestrin.dat
best_in=999; best_ready=999; peak_w=0
for i in 1 2 3; do
    w=$("$WINDOW" start "$PWD/start-1g" 2>/dev/null)
    best_in=$(minimum "$best_in" "$(awk '{print $4}' <<<"$w")")
    best_ready=$(minimum "$best_ready" "$(awk '{print $6}' <<<"$w")")
    peak_w=$(awk '{print $8}' <<<"$w")
done
size_mib=$(($(stat -c %s text1g) >> 20))
row "window shown and taking input, 1 GiB source restored" "$best_in s (counted at $best_ready s)" "" "" "<= 0.3"
row "window peak memory, 1 GiB source" "$((peak_w / 1024)) MiB" "source $size_mib MiB" "$(ratio "$((peak_w / 1024))" "$size_mib")" "<= 1.1"

echo "Split ..." >&2
best_k=999; best_c=999; best_p=999; peak_k=0; peak_c=0
for i in 1 2; do
    mkdir "k$i" "c$i" "p$i"
    k=$(measure -- "$CLI" split text1g -d '=====' -t "k$i" --silent)
    [ "$(status "$k")" = 0 ] || { echo "split failed" >&2; exit 1; }
    c=$(cd "c$i" && measure -- csplit -s -z -f part ../text1g '/^=====$/' '{*}')
    # The same bytes from a pipe: read once into a temporary file, then split.
    p=$(measure -- bash -c "cat text1g | '$CLI' split - -d '=====' -t 'p$i' --name text1g --silent")
    best_k=$(minimum "$best_k" "$(seconds "$k")")
    best_c=$(minimum "$best_c" "$(seconds "$c")")
    best_p=$(minimum "$best_p" "$(seconds "$p")")
    peak_k=$(peak "$k")
    peak_c=$(peak "$c")
done
fragments=$(ls k1 | wc -l)
# Sorted whole: "ls -S | head" would end ls with SIGPIPE, which pipefail takes for a failure.
largest=$(($(find k1 -type f -printf '%s\n' | sort -n | tail -1) >> 10))
row "split text1g into $fragments fragments" "$best_k s" "csplit $best_c s ($(ls c1 | wc -l) files)" "$(ratio "$best_k" "$best_c")" "<= 0.85"
row "split peak memory" "$((peak_k / 1024)) MiB" "csplit $((peak_c / 1024)) MiB; largest fragment $largest KiB" "" "<= 64 MiB + largest fragment"
row "split of text1g from a pipe (-)" "$best_p s" "from the file $best_k s" "$(ratio "$best_p" "$best_k")" ""
rm -rf p1 p2
echo "Join ..." >&2
files=(join-in/part*.txt)
best_k=999; best_c=999
for i in 1 2; do
    k=$(measure -- "$CLI" join join-in/list.txt -t "joined-k$i" --yes)
    c=$(measure --stdout "joined-c$i" -- cat "${files[@]}")
    best_k=$(minimum "$best_k" "$(seconds "$k")")
    best_c=$(minimum "$best_c" "$(seconds "$c")")
    peak_j=$(peak "$k")
done
row "join ${#files[@]} x 1 MiB" "$best_k s, peak $((peak_j / 1024)) MiB" "cat $best_c s" "$(ratio "$best_k" "$best_c")" "<= 1.1"

echo "Re-split over existing fragments, with and without sync ..." >&2
mkdir resplit
"$BENCH" resplit text-resplit '=====' resplit 0 >/dev/null
count=$(ls resplit | wc -l)
plain=$("$BENCH" resplit text-resplit '=====' resplit 0 | awk '{print $2}')
synced=$("$BENCH" resplit text-resplit '=====' resplit 1 | awk '{print $2}')
row "re-split over $count existing fragments" "$plain s" "synced $synced s" "$(ratio "$synced" "$plain")" "(cost of fsync)"

echo "Window re-split against kestrin-cli over the same existing fragments ..." >&2
mkdir resplit-window
printf '[&Split File]\nucSource=%s\nucTarget=%s\ntbDelimiter=%s\nobFileName=0\nchSilent=1\n' \
    "$PWD/text-resplit" "$PWD/resplit/" '=====' >resplit-window/kestrin.dat
best_k=999; best_w=999
for i in 1 2; do
    k=$(measure -- "$CLI" split text-resplit -d '=====' -t resplit --silent)
    w=$("$WINDOW" split "$PWD/resplit-window" 2>/dev/null | awk '{print $2}')
    best_k=$(minimum "$best_k" "$(seconds "$k")")
    best_w=$(minimum "$best_w" "$w")
done
row "window re-split over $count existing fragments, silent" "$best_w s" "kestrin-cli $best_k s" "$(ratio "$best_w" "$best_k")" "<= 1.5"
# Two runs in one window, as a user clicks Start again.
twice=$("$WINDOW" split "$PWD/resplit-window" 2 2>/dev/null | awk 'NR==2 {print $2}')
row "window second run in the same window" "$twice s" "kestrin-cli $best_k s" "$(ratio "$twice" "$best_k")" "<= 1.5"

echo "2 GiB source ..." >&2
# Deleting the fragment folders waits for the end: many deletions slow later file creation.
rm -f joined-* dense1g
{
    head -c $(($(mib 700) << 20)) /dev/zero | tr '\0' 'a'
    printf '@@SPLIT@@'
    head -c $(($(mib 700) << 20)) /dev/zero | tr '\0' 'b'
    printf '@@SPLIT@@'
    head -c $(($(mib 648) << 20)) /dev/zero | tr '\0' 'c'
    printf 'end'
} >big2g
mkdir big-out
k=$(measure -- "$CLI" split big2g -d '@@SPLIT@@' -t big-out)
{ cat big-out/big2g_1; printf '@@SPLIT@@'; cat big-out/big2g_2; printf '@@SPLIT@@'; cat big-out/big2g_3; } >big2g-again
if [ "$(status "$k")" = 0 ] && cmp -s big2g big2g-again; then same="byte-exact"; else same="MISMATCH"; fi
row "split of a $(($(stat -c %s big2g) >> 20)) MiB source into 3" "$(seconds "$k") s, $same" "" "" ""

echo "Results kept in $RESULTS; removing the inputs (this takes a while) ..." >&2
