#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Ostrel links the common procedures statically and hides them, so a window that uses both
# holds two copies of what Ostrel takes from common/. Copies of code are harmless; a copy of
# a variable is not (a list kept by one copy is not seen by the other, as FileReplacement's
# list of files to sync once was). Fails when the library holds a writable variable or a
# function's static of the Kestrin namespace.
#   HoldsNoStateOfCommon.sh LIBRARY
set -euo pipefail
# b/B bss, d/D data, g/G/s/S small data, u unique globals, v/V weak objects; constants (r/R),
# code (t/T/W) and a class's type information and virtual table may be copied.
state=$(nm -C --defined-only "$1" | awk '$2 ~ /^[bBdDgGsSuvV]$/' | grep 'Kestrin::' |
    grep -v -E ' (typeinfo|typeinfo name|vtable|VTT|construction vtable) for ' || true)
if [ -n "$state" ]; then
    echo "$1 holds variables of common/, which the program using it holds again:"
    echo "$state"
    exit 1
fi
echo "$1: code of common/ only ($(nm -C --defined-only "$1" | grep -c 'Kestrin::') symbols), no variable"
