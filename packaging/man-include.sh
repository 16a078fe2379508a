#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The help2man include file of kestrin-cli(1): EXAMPLES from the README's "From a shell"
# section (each recipe with the paragraph that introduces it, so that the page and the
# README, whose recipes a test runs, never differ) and SEE ALSO.
#   man-include.sh README.md > kestrin-cli.h2m
set -euo pipefail
echo "[EXAMPLES]"
sed -n '/^## From a shell/,/^## [^F]/p' "$1" | sed '1d;$d' | awk '
    # roff: backslashes and hyphens as themselves, no control character at a line start.
    function roff(text) {
        gsub(/\\/, "\\e", text)
        gsub(/-/, "\\-", text)
        if (text ~ /^[.\047[]/) text = "\\&" text
        return text
    }
    # `code` in bold.
    function prose(text) {
        text = roff(text)
        while (match(text, /`[^`]*`/))
            text = substr(text, 1, RSTART - 1) "\\fB" substr(text, RSTART + 1, RLENGTH - 2) \
                   "\\fR" substr(text, RSTART + RLENGTH)
        return text
    }
    /^    / {
        if (!incode) {
            if (paragraph != "") print ".PP\n" paragraph
            print ".IP\n.nf"
            incode = 1
        }
        print roff(substr($0, 5))
        paragraph = ""
        next
    }
    /^$/ { if (incode) print ".fi"; incode = 0; next }
    { if (incode) { print ".fi"; incode = 0 }
      paragraph = paragraph == "" ? prose($0) : paragraph "\n" prose($0) }
    END { if (incode) print ".fi" }'
cat <<'ROFF'
[SEE ALSO]
.BR kestrin (1),
.BR split (1),
.BR csplit (1),
.BR cat (1)
ROFF
