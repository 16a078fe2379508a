#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Puts the licence's SPDX line at the top of every tracked source, header, script and CMake
# file that lacks it (after a "#!" line); files that have it stay as they are. Run again
# after a merge brings new files.
set -euo pipefail
cd "$(dirname "$0")/.."
line='SPDX-License-Identifier: MIT'
added=0
while IFS= read -r file; do
    case $file in
    *.cpp | *.h | *.h.in) comment="// $line" ;;
    *.sh | *.cmake | *.cmake.in | CMakeLists.txt | */CMakeLists.txt | .ci/run | *.bash-completion)
        comment="# $line" ;;
    *) continue ;;
    esac
    head -n 3 "$file" | grep -q "$line" && continue
    if head -n 1 "$file" | grep -q '^#!'; then
        sed -i "1a $comment" "$file"
    else
        sed -i "1i $comment" "$file"
    fi
    added=$((added + 1))
done < <(git ls-files)
echo "SPDX line added to $added files"
