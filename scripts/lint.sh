#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Format and lint check; fails on any finding.
#   bash scripts/lint.sh [FILE...]
# 1. clang-format (the root .clang-format) over every tracked .cpp and .h: any difference
#    fails, naming the file and line.
# 2. clang-tidy (the root .clang-tidy) over the given C++ files, or else over the .cpp and
#    .h files changed since the branch left main (committed, staged, unstaged or new): the
#    base is KESTRIN_LINT_BASE if set, else where HEAD meets main (or origin/main). On main
#    itself, or in a checkout with no main (a CI clone of one branch), the base is the last
#    commit's first parent; with no parent either (a shallow clone) clang-tidy is skipped,
#    saying so: all files would take many minutes. With the build
#    folder's compile_commands.json (KESTRIN_LINT_BUILD, default build-test: configure it as
#    scripts/test.sh does). A changed header is checked through the changed sources that
#    include it and through the source of its own name; a file the build does not compile
#    (the other platform's) is named and skipped.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
kestrin_install_missing
cd "$KESTRIN_ROOT"
build=${KESTRIN_LINT_BUILD:-$KESTRIN_ROOT/build-test}
status=0

mapfile -t tracked < <(git ls-files -- '*.cpp' '*.h')
echo "clang-format: ${#tracked[@]} files"
if ! clang-format --dry-run -Werror "${tracked[@]}"; then
    echo "clang-format: differences above (clang-format -i FILE formats a file)" >&2
    status=1
fi

if [ $# -gt 0 ]; then
    files=("$@")
else
    base=${KESTRIN_LINT_BASE:-}
    if [ -z "$base" ]; then
        for ref in main origin/main; do
            base=$(git merge-base HEAD "$ref" 2>/dev/null) && break
        done
        # On main itself, or with no main at all: what the last commit changed (for a merge,
        # all that its branch brought).
        if [ -z "$base" ] || [ "$base" = "$(git rev-parse HEAD)" ]; then
            base=$(git rev-parse -q --verify 'HEAD^1') || {
                echo "clang-tidy: no main and no parent commit to compare with; skipped"
                exit $status
            }
            echo "clang-tidy: checking what the last commit changed"
        fi
    fi
    mapfile -t files < <({
        git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h'
        git ls-files --others --exclude-standard -- '*.cpp' '*.h'
    } | sort -u)
fi
if [ ${#files[@]} -eq 0 ]; then
    echo "clang-tidy: no changed C++ files"
    exit $status
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "clang-tidy: no $build/compile_commands.json; configure the build folder first" >&2
    exit 1
fi

# The sources the build compiles, and which of the files to check they are.
mapfile -t compiled < <(python3 - "$build/compile_commands.json" <<'EOF'
import json, os, sys
for entry in json.load(open(sys.argv[1])):
    print(os.path.realpath(os.path.join(entry["directory"], entry["file"])))
EOF
)
declare -A inBuild=()
for path in "${compiled[@]}"; do inBuild["$path"]=1; done
sources=()
headers=()
for file in "${files[@]}"; do
    path=$(realpath "$file")
    case "$file" in
    *.h)
        headers+=("$path")
        own="${path%.h}.cpp"
        [ -n "${inBuild[$own]:-}" ] && sources+=("$own")
        ;;
    *)
        if [ -n "${inBuild[$path]:-}" ]; then
            sources+=("$path")
        else
            echo "clang-tidy: $file is not compiled in $build; skipped"
        fi
        ;;
    esac
done
if [ ${#sources[@]} -eq 0 ]; then
    echo "clang-tidy: nothing compiled to check"
    exit $status
fi
mapfile -t sources < <(printf '%s\n' "${sources[@]}" | sort -u)
# Findings in headers count only for the headers being checked.
filter='^$'
if [ ${#headers[@]} -gt 0 ]; then
    filter="^($(printf '%s\n' "${headers[@]}" | sed 's/[][\.*^$+?(){}|]/\\&/g' | paste -sd'|'))\$"
fi
echo "clang-tidy: ${#sources[@]} files"
# (clang-tidy counts the warnings it left out of the headers not checked: not shown.)
if ! printf '%s\0' "${sources[@]}" |
    xargs -0 -n 4 -P "$(nproc)" clang-tidy -p "$build" --quiet --header-filter="$filter" 2>&1 |
    { grep -v -E '^[0-9]+ warnings? generated\.$' || true; }; then
    echo "clang-tidy: findings above" >&2
    status=1
fi
exit $status
