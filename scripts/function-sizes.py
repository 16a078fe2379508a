#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Lines and branches of every function in C++ files, longest first.

    python3 scripts/function-sizes.py [--max-lines N] [--max-branches N] [--top N] FILE...

Lines are physical lines from the line naming the function to its closing brace. Branches
are the decision points a reader follows: if (else if counts once), for, while, case, &&,
|| and ?:. A lambda counts toward the function that holds it. With a maximum given, the
exit status is 1 when a function exceeds it. A token scanner, not a compiler: it reads
code formatted by the project's .clang-format and is meant for that.
"""
import argparse
import re
import sys

TOKEN = re.compile(
    r"""R"(?P<delim>[^(\s]*)\((?:.|\n)*?\)(?P=delim)"  # raw string
      | "(?:\\.|[^"\\\n])*"                          # string
      | '(?:\\.|[^'\\\n])*'                          # character
      | //[^\n]*                                     # line comment
      | /\*(?:.|\n)*?\*/                             # block comment
      | ^[ \t]*\#(?:\\\n|[^\n])*                     # preprocessor line
      | [A-Za-z_]\w*                                 # word
      | ::|->|&&|\|\||[{}()\[\];,:?]                 # punctuation that matters
      | \n
      | .""",
    re.VERBOSE | re.MULTILINE,
)
NOT_FUNCTIONS = {"if", "for", "while", "switch", "catch", "return", "sizeof", "decltype",
                 "alignof", "noexcept", "static_assert", "requires", "operator"}
QUALIFIERS = {"const", "noexcept", "override", "final", "mutable", "volatile", "&", "&&"}
BRANCH_WORDS = {"if", "for", "while", "case"}
BRANCH_SIGNS = {"&&", "||", "?"}


def tokens(text):
    line = 1
    for match in TOKEN.finditer(text):
        token = match.group(0)
        if token[0] in "\"'/#" or token.startswith('R"'):
            line += token.count("\n")
            if token[0] in "\"'" or token.startswith('R"'):
                yield line, '""'
            continue
        if token == "\n":
            line += 1
        elif not token.isspace():
            yield line, token


def matching_open(toks, close):
    depth = 0
    for at in range(close, -1, -1):
        if toks[at][1] == ")":
            depth += 1
        elif toks[at][1] == "(":
            depth -= 1
            if depth == 0:
                return at
    return -1


def function_name(toks, brace):
    """The function whose body opens at toks[brace], or None."""
    at = brace - 1
    # Trailing return type: "-> type {".
    for back in range(at, max(at - 8, -1), -1):
        if toks[back][1] == "->":
            at = back - 1
            break
        if toks[back][1] in {")", ";", "{", "}"}:
            break
    while at >= 0 and toks[at][1] in QUALIFIERS:
        at -= 1
    # A function returning a reference to an array: "T (&Name(params))[N] {".
    if at > 0 and toks[at][1] == "]":
        while at >= 0 and toks[at][1] != "[":
            at -= 1
        at -= 1
        if at > 0 and toks[at][1] == ")":
            at -= 1
    while at >= 0 and toks[at][1] == ")":
        opened = matching_open(toks, at)
        if opened <= 0:
            return None
        name_at = opened - 1
        name = toks[name_at][1]
        if not re.match(r"[A-Za-z_~]", name) or name in NOT_FUNCTIONS:
            return None
        before = toks[name_at - 1][1] if name_at > 0 else ""
        if before in {",", ":"}:
            # A constructor's member initializer: go on to the ")" before the ":".
            at = name_at - 1
            while at > 0 and not (toks[at][1] == ":" and toks[at - 1][1] in QUALIFIERS | {")"}):
                if toks[at][1] in {";", "{", "}"}:
                    return None
                at -= 1
            at -= 1
            while at >= 0 and toks[at][1] in QUALIFIERS:
                at -= 1
            continue
        while name_at >= 2 and toks[name_at - 1][1] == "::":
            name_at -= 2
        return name_at, "".join(t for _, t in toks[name_at:opened])
    return None


def functions(text):
    toks = list(tokens(text))
    found = []
    stack = []  # per open brace: the function it opens, or None
    current = None  # [name, first line, branches]
    for at, (line, token) in enumerate(toks):
        if token == "{":
            opened = None
            if current is None:
                named = function_name(toks, at)
                if named:
                    current = [named[1], toks[named[0]][0], 0]
                    opened = current
            stack.append(opened)
        elif token == "}":
            if stack and stack.pop() is not None:
                found.append((current[0], line - current[1] + 1, current[2], current[1]))
                current = None
        elif current is not None and (token in BRANCH_WORDS or token in BRANCH_SIGNS):
            current[2] += 1
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--max-lines", type=int)
    parser.add_argument("--max-branches", type=int)
    parser.add_argument("--top", type=int, default=0, help="print only the N longest")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    rows = []
    for path in args.files:
        with open(path, encoding="utf-8", errors="replace") as file:
            for name, lines, branches, first in functions(file.read()):
                rows.append((lines, branches, f"{path}:{first}", name))
    rows.sort(key=lambda row: (-row[0], -row[1]))
    over = [r for r in rows if (args.max_lines is not None and r[0] > args.max_lines)
            or (args.max_branches is not None and r[1] > args.max_branches)]
    shown = over if (args.max_lines is not None or args.max_branches is not None) else rows
    if args.top:
        shown = shown[: args.top]
    for lines, branches, where, name in shown:
        print(f"{lines:5} lines {branches:4} branches  {name}  {where}")
    if rows:
        most = max(rows, key=lambda row: row[1])
        print(f"longest: {rows[0][3]} ({rows[0][0]} lines); most branches: {most[3]} "
              f"({most[1]})", file=sys.stderr)
    return 1 if over else 0


if __name__ == "__main__":
    sys.exit(main())
