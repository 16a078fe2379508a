#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bash completion of kestrin-cli against the program's own --help: every option the help
# names for a command is offered, nothing it does not name; files and folders where paths go.
#   Completion.sh COMPLETION_SCRIPT KESTRIN_CLI
set -euo pipefail
export LC_ALL=C
source "$1"
cli=$2
work=$(mktemp -d /tmp/kestrin-completion-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

complete_line() { # words..., the last one being completed
    COMP_WORDS=(kestrin-cli "$@")
    COMP_CWORD=$#
    _kestrin_cli
    words "${COMPREPLY[@]}"
}
words() { # sorted, one blank after each
    [ $# -eq 0 ] || printf '%s\n' "$@" | sort | tr '\n' ' '
}
expect() { # expected, words...
    local expected
    read -ra expected <<<"$1"
    expected=("${expected[@]//\?/ }") # "?" stands for a blank inside a name
    expected=$(words "${expected[@]}")
    shift
    local got
    got=$(complete_line "$@")
    if [ "$got" != "$expected" ]; then
        echo "FAIL: kestrin-cli $* -> '$got', expected '$expected'" >&2
        failures=$((failures + 1))
    fi
}

# Each option item of --help (an option line and the lines that go on below it) belongs to
# the command it names first ("split: ..." or "join: ...", on the option's line or, for a
# long option, the line below), or to all of them.
help=$("$cli" --help)
options_of() { # split | join
    sed -n '/^Options/,/^$/p' <<<"$help" | awk -v command="$1" '
        function flush() { if (item != "" && (scope == "" || scope == command)) print item }
        /^ +-/ { flush(); item = $0; scope = ""
                 if (match($0, /  (split|join): /)) scope = substr($0, RSTART + 2, RLENGTH - 4)
                 next }
        /^ +[^ -]/ { if (item !~ /  [^ -]/ && match($0, /^ +(split|join): /)) {
                         rest = $0; sub(/^ +/, "", rest); scope = substr(rest, 1, index(rest, ":") - 1) }
                     item = item " " $0 }
        END { flush() }' | grep -oE -- '(^  -[a-z]|--[a-z-]+)' | tr -d ' '
}
for command in split join; do
    expect "$(options_of $command | tr '\n' ' ')" $command -
done

mkdir -p "$work/in folder" "$work/out"
touch "$work/in folder/notes.txt" "$work/list.txt"
cd "$work"
expect "count join split --help --version" ""
expect "split " sp
expect "join split " count ""
expect "--delimiter --escapes -d -e -h --help --version " count split x -
expect "-h --help --version " count join x -
expect "in?folder list.txt out" split ""
expect "in?folder/notes.txt" split "in folder/n"
expect "in?folder out" split x -t ""
expect "in?folder list.txt out" join list.txt -t ""
expect "" split x -d ""
expect "" split x --name ""
# Options before the command.
expect "count join split --help --version" -v ""
expect "split " -d x sp
expect "in?folder out" -q split x -t ""
expect "--raw " -v join l --ra
[ "$failures" -eq 0 ] && echo "completion: all cases hold"
exit $((failures > 0))
