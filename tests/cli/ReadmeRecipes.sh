#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every command block of the README's "From a shell" section as written, each in a
# fresh folder holding small inputs of the kinds it names, with no terminal to answer on.
# A block must end with status 0, and every line of every input it names must reach the
# files it wrote or what it printed: each input line carries a token of its own ("t17"),
# so a recipe that loses data fails here.
#   ReadmeRecipes.sh README.md KESTRIN_CLI
set -euo pipefail
readme=$1
cli=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$(mktemp -d /tmp/kestrin-recipes-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$cli" "$work/bin/kestrin-cli"
export PATH="$work/bin:$PATH" LC_ALL=C
failures=0 blocks=0

make_inputs() { # in the current folder; "@" becomes a token of its own
    local i
    for i in 1 2 3; do printf 'saying @\n  -- author @\n%%\n'; done >fortunes
    for i in 1 2 3; do
        printf 'From someone@example.org Mon Jan %d 10:00:00 2026\nSubject: @\n\nbody @\n>From quoted @\n\n' "$i"
    done | sed 's/someone@/someone%/' >inbox.mbox
    for i in 1 2; do printf -- '-----BEGIN CERTIFICATE-----\nMIIB@\n-----END CERTIFICATE-----\n'; done >certs.pem
    printf '##[section]Starting: Build\nok @\n##[section]Starting: Tests\npass @\n##[section]Starting: Build\nERROR: @\n##[section]Finishing: @\n' >build.log
    mkdir chapters
    for i in 1 2 3; do printf '# Chapter @\n\ntext @\n' >"chapters/$i.md"; done
    perl -pi -e 's/@/"t" . ++$n/ge' fortunes inbox.mbox certs.pem build.log chapters/*.md
    gzip inbox.mbox
}

# The tokens of the inputs a block names.
input_tokens() { # block
    local name
    for name in fortunes inbox.mbox.gz certs.pem build.log chapters; do
        case $1 in
        *"$name"*)
            case $name in
            *.gz) gunzip -c "$name" ;;
            chapters) cat chapters/* ;;
            *) cat "$name" ;;
            esac ;;
        esac
    done | grep -ao 't[0-9]*' | sort -u
}

run_block() { # block
    local block=$1 folder status
    blocks=$((blocks + 1))
    folder="$work/block$blocks"
    mkdir "$folder"
    (
        cd "$folder"
        make_inputs
        find . -type f | sort >../before
        set +e
        bash -euo pipefail -c "$block" </dev/null >../printed 2>../errors
        status=$?
        set -e
        find . -type f | sort >../after
        if [ "$status" -ne 0 ]; then
            echo "FAIL: exit status $status of:" >&2
            echo "$block" >&2
            cat ../errors >&2
            exit 1
        fi
        lost=$(comm -23 <(input_tokens "$block") \
            <(comm -13 ../before ../after | xargs -r -d '\n' cat | cat - ../printed |
                grep -ao 't[0-9]*' | sort -u))
        if [ -n "$lost" ]; then
            echo "FAIL: lines lost (tokens $(echo $lost)) by:" >&2
            echo "$block" >&2
            exit 1
        fi
    ) || failures=$((failures + 1))
}

# The indented blocks of the section, one command per line.
block=""
while IFS= read -r line; do
    if [[ $line == "    "* ]]; then
        block+="${line#    }"$'\n'
    elif [ -n "$block" ]; then
        run_block "$block"
        block=""
    fi
done < <(sed -n '/^## From a shell/,/^## [^F]/p' "$readme")
[ -z "$block" ] || run_block "$block"

echo "$blocks recipes run, $failures failed"
[ "$blocks" -gt 0 ] && [ "$failures" -eq 0 ]
