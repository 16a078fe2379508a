#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Each translation against the sources as lupdate reads them now: a text with no translation
# (new or changed in the sources) or one the sources no longer have fails; `cmake --build
# BUILD --target kestrin_lupdate` brings the files up to date for a translator.
#   TranslationsComplete.sh LUPDATE TS... -- SOURCE_FOLDER...
set -euo pipefail
lupdate=$1
shift
files=()
while [ "$1" != "--" ]; do files+=("$1"); shift; done
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "${files[@]}"; do
    copy="$work/$(basename "$ts")"
    cp "$ts" "$copy"
    "$lupdate" -silent -locations none "$@" -ts "$copy"
    if grep -n -B3 'type="unfinished"\|type="vanished"\|type="obsolete"' "$copy"; then
        echo "FAIL: $ts is not complete (above: texts without translation or no longer used)"
        status=1
    fi
    count=$(grep -c '<translation>' "$copy")
    echo "$ts: $count texts translated"
    [ "$count" -gt 0 ] || { echo "FAIL: $ts holds no translation"; status=1; }
done
exit $status
