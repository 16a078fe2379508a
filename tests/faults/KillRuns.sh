#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Kills split and join runs of kestrin-cli with SIGKILL at random moments, over existing
# and new files, and checks after each kill that every file holds its old or its new
# content (never a part), that the list file holds whole lines, and that the next complete
# run leaves no temporary file behind. A third of the kills hit joins in place (a folder
# that refuses new files, a read-only target): there a killed run may leave the target
# half-written, but then with its old content kept in the temporary folder, and the next
# run of the same target (one that fails, or one that completes) puts it back first; the
# target's permission bits never change.
#   KillRuns.sh KESTRIN_CLI WORK_FOLDER [KILLS]
set -euo pipefail
cli=$(realpath "$1")
work=$2
# A sanitizer build: a kill landing while LeakSanitizer checks a program at its exit leaves a
# report of its own ("Unable to get registers"); leaks are checked by every other test.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
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
# The in-place way: a folder that refuses new files, the target an ordinary user's
# read-only file in it. Root runs kestrin-cli as nobody (permission bits do not stop root).
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
inplace=$PWD/inplace
mkdir -p "$inplace/in" "$inplace/folder" "$inplace/tmp"
cp new/b_*.txt "$inplace/in/"
head -c 1000 /dev/urandom >"$inplace/in/locked.txt"
chmod 000 "$inplace/in/locked.txt"
printf 'b_001.txt\r\nlocked.txt\r\n' >"$inplace/in/failing.txt"
chmod 1777 "$inplace/tmp"
chmod -R a+rX "$inplace/in" && chmod 000 "$inplace/in/locked.txt"
target=$inplace/folder/target.txt
inplace_ok=1
# Every run in place writes through the same temporary folder.
in_place() { "${as_user[@]}" env TMPDIR="$inplace/tmp" "$cli" "$@"; }
prepare_in_place() {
  chmod 755 "$inplace/folder"
  rm -f "$target"
  cp joined-old.txt "$target"
  [ ${#as_user[@]} -gt 0 ] && chown 65534:65534 "$target"
  chmod 444 "$target"
  chmod 555 "$inplace/folder"
}
copies_kept() { find "$inplace/tmp" -maxdepth 1 -name '.kestrin-*.old' | wc -l; }
prepare_in_place
if ! in_place join "$inplace/in/b_List.txt" -t "$target" -d '#' --yes >/dev/null 2>&1 ||
  [ "$(md5sum <"$target" | cut -c1-32)" != "$md5_join_new" ]; then
  echo "skipped the in-place kills: kestrin-cli cannot run as another user on this folder"
  inplace_ok=0
fi
prepare_in_place
start=$(date +%s%N)
in_place join "$inplace/in/b_List.txt" -t "$target" -d '#' --yes >/dev/null 2>&1 || true
inplace_ms=$((($(date +%s%N) - start) / 1000000 + 1))

echo "complete runs: split ${split_ms} ms, join ${join_ms} ms, join in place ${inplace_ms} ms; ${kills} kills"

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
mixed=0
for ((k = 1; k <= kills; k++)); do
  kind=$((k % 6))
  [ "$inplace_ok" -eq 1 ] || kind=$((k % 4))
  case $kind in
    0 | 1)
      # Split over existing fragments (renamed like b's) or into a new folder.
      rm -rf work
      mkdir work
      if [ "$kind" -eq 0 ]; then
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
      [ "$kind" -eq 2 ] && cp joined-old.txt target.txt
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
    4 | 5)
      # Join in place over an old target; the next run fails (an unreadable listed file)
      # or completes.
      prepare_in_place
      run_killed "$inplace_ms" "${as_user[@]}" env TMPDIR="$inplace/tmp" "$cli" join \
        "$inplace/in/b_List.txt" -t "$target" -d '#' --yes
      got=$(md5sum <"$target" | cut -c1-32)
      if [ "$got" != "$md5_join_old" ] && [ "$got" != "$md5_join_new" ]; then
        [ "$(copies_kept)" -eq 1 ] || fail "in place: the target is half-written and no copy of its old content was kept (kill $k)"
        mixed=$((mixed + 1))
      fi
      [ "$got" = "$md5_join_new" ] || interrupted=$((interrupted + 1))
      if [ "$kind" -eq 4 ]; then
        # A run killed after its last byte but before it dropped its copy of the old content
        # did not end: the next run takes it back, as it does for any unfinished run.
        committed=$([ "$(copies_kept)" -eq 0 ] && echo yes || echo no)
        in_place join "$inplace/in/failing.txt" -t "$target" -d '#' --yes >/dev/null 2>&1 &&
          fail "in place: a join of an unreadable file did not fail"
        now=$(md5sum <"$target" | cut -c1-32)
        if [ "$got" = "$md5_join_new" ] && [ "$committed" = yes ]; then
          [ "$now" = "$md5_join_new" ] || fail "in place: a failed run changed a complete target (kill $k)"
        else
          [ "$now" = "$md5_join_old" ] || fail "in place: the failed next run did not put the old content back (kill $k)"
        fi
      fi
      in_place join "$inplace/in/b_List.txt" -t "$target" -d '#' --yes >/dev/null 2>&1 ||
        fail "in place: the complete join after kill $k failed"
      [ "$(md5sum <"$target" | cut -c1-32)" = "$md5_join_new" ] || fail "in place: the complete join differs"
      [ "$(stat -c %a "$target")" = 444 ] || fail "in place: the target's bits changed to $(stat -c %a "$target")"
      [ "$(copies_kept)" -eq 0 ] || fail "in place: a copy of old content survived a complete run"
      ;;
  esac
done
[ "$inplace_ok" -eq 0 ] || echo "in place: ${mixed} kills left a half-written target, each put back by the next run"
echo "all ${kills} killed runs (${interrupted} of them before their end) left every file old or new, and no temporary file"
[ "$interrupted" -gt 0 ] || fail "no kill landed inside a run"
cd /
chmod -R u+rwX "$work" 2>/dev/null || true
rm -rf "$work"
