#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Kills split and join runs of kestrin-cli with SIGKILL at random moments, over existing
# and new files, and checks after each kill that every file holds its old or its new
# content (never a part), that the list file holds whole lines, and that the next complete
# run leaves no temporary file behind.
#   KillRuns.sh KESTRIN_CLI WORK_FOLDER [KILLS]
set -euo pipefail
cli=$(realpath "$1")
work=$2
kills=${3:-50}
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A source of $2 fragments of random sizes (1 KiB to 400 KiB of text) cut by "=====".
make_source() {
  local out=$1 count=$2 seed=$3
  : >"$out"
  for ((i = 1; i <= count; i++)); do
    local size=$(((RANDOM * 32768 + RANDOM + seed * 7919 + i * 104729) % 409600 + 1024))
    [ "$i" -gt 1 ] && printf '=====' >>"$out"
    head -c $((size * 3 / 4)) /dev/urandom | base64 -w 76 >>"$out"
  done
}

# "md5 name" for every file in a folder (hidden temporaries included), sorted by name.
sums() {
  (cd "$1" && find . -maxdepth 1 -type f -printf '%P\0' | LC_ALL=C sort -z | xargs -0 -r md5sum)
}

RANDOM=4242
make_source a.txt 120 1
make_source b.txt 160 2 # 40 more fragments: new files beside replaced ones

# Reference results, written by complete runs.
"$cli" split a.txt -d ===== -t old --list >/dev/null
"$cli" split b.txt -d ===== -t new --list >/dev/null
"$cli" join new/b_List.txt -t joined-new.txt -d '#' >/dev/null
"$cli" join old/a_List.txt -t joined-old.txt -d '#' >/dev/null
sums old >old.sums
sums new >new.sums
list_new=$(cat new/b_List.txt)
md5_join_old=$(md5sum <joined-old.txt | cut -c1-32)
md5_join_new=$(md5sum <joined-new.txt | cut -c1-32)

# How long a complete run takes, so the kills land anywhere inside one.
start=$(date +%s%N)
"$cli" split b.txt -d ===== -t timing --list >/dev/null
split_ms=$((($(date +%s%N) - start) / 1000000 + 1))
start=$(date +%s%N)
"$cli" join new/b_List.txt -t timing/joined.txt -d '#' >/dev/null
join_ms=$((($(date +%s%N) - start) / 1000000 + 1))
rm -rf timing
echo "complete runs: split ${split_ms} ms, join ${join_ms} ms; ${kills} kills"

run_killed() {
  local limit_ms=$1
  shift
  "$@" >/dev/null 2>&1 &
  local pid=$!
  local delay_ms=$((RANDOM % limit_ms))
  sleep "$(printf '0.%03d' "$delay_ms")"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# Every fragment holds b's text or, over an existing file, a's; the list is a prefix of the
# complete list, in whole lines.
check_split_folder() {
  local folder=$1
  sums "$folder" | awk -v folder="$folder" '
    FILENAME == "old.sums" { old[$2] = $1; next }
    FILENAME == "new.sums" { new[$2] = $1; next }
    $2 ~ /^\..*\.kestrin-tmp$/ || $2 == "b_List.txt" { next }
    {
      name = $2; sub(/^b_/, "a_", name)
      if ($1 != new[$2] && $1 != old[name]) { print folder "/" $2 " is neither old nor new"; bad = 1 }
    }
    END { exit bad }' old.sums new.sums - || fail "after kill $k"
  if [ -s "$folder/b_List.txt" ]; then
    local list
    list=$(cat "$folder/b_List.txt")
    [ "${list_new#"$list"}" != "$list_new" ] || fail "the list is not a prefix of the complete one"
    [ "$(tail -c 2 "$folder/b_List.txt" | od -An -c | tr -d ' ')" = '\r\n' ] ||
      fail "the list ends in part of a line"
  fi
}

check_no_temporaries() {
  if find "$1" -maxdepth 1 -name '.*.kestrin-tmp' | grep -q .; then
    fail "a temporary file survived a complete run in $1"
  fi
}

interrupted=0
for ((k = 1; k <= kills; k++)); do
  case $((k % 4)) in
    0 | 1)
      # Split over existing fragments (renamed like b's) or into a new folder.
      rm -rf work
      mkdir work
      if [ $((k % 4)) -eq 0 ]; then
        for f in old/a_*.txt; do
          base=${f##*/}
          [ "$base" = a_List.txt ] || cp "$f" "work/${base/a_/b_}"
        done
      fi
      run_killed "$split_ms" "$cli" split b.txt -d ===== -t work --silent --list
      check_split_folder work
      [ "$(sums work)" = "$(cat new.sums)" ] || interrupted=$((interrupted + 1))
      "$cli" split b.txt -d ===== -t work --silent --list >/dev/null
      check_no_temporaries work
      [ "$(sums work)" = "$(cat new.sums)" ] || fail "the complete split after kill $k differs"
      ;;
    2 | 3)
      # Join over an existing target or into a new one.
      rm -f target.txt
      got=
      [ $((k % 4)) -eq 2 ] && cp joined-old.txt target.txt
      run_killed "$join_ms" "$cli" join new/b_List.txt -t target.txt -d '#' --yes
      if [ -e target.txt ]; then
        got=$(md5sum <target.txt | cut -c1-32)
        [ "$got" = "$md5_join_new" ] || [ "$got" = "$md5_join_old" ] || fail "join target is neither old nor new"
      fi
      [ "${got:-}" = "$md5_join_new" ] || interrupted=$((interrupted + 1))
      "$cli" join new/b_List.txt -t target.txt -d '#' --yes >/dev/null
      check_no_temporaries .
      [ "$(md5sum <target.txt | cut -c1-32)" = "$md5_join_new" ] || fail "the complete join differs"
      ;;
  esac
done
echo "all ${kills} killed runs (${interrupted} of them before their end) left every file old or new, and no temporary file"
[ "$interrupted" -gt 0 ] || fail "no kill landed inside a run"
cd /
rm -rf "$work"
