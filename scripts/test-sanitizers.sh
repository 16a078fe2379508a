#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the whole project and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-sanitize and runs every test there. Any report fails the run: a program stops
# at its first report (abort), and the run also fails on a report that a test let pass,
# from a program it started without looking at its exit status. AddressSanitizer and
# LeakSanitizer write their reports to files, UndefinedBehaviorSanitizer to standard
# error, which CTest keeps for every test.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
kestrin_install_missing

dir="$KESTRIN_ROOT/build-sanitize"
reports="$dir/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# Leak detection is on for everything, Qt's allocations included: none is reported today.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:log_path=$reports/asan:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"

start=$SECONDS
# The build runs the test programs to list their tests: under the same options.
# Without the hardening flags: the sanitizers check every access that fortified calls would.
kestrin_build "$dir" -DKESTRIN_WERROR=ON -DKESTRIN_SANITIZE=ON -DKESTRIN_HARDENING=OFF
built=$SECONDS
status=0
(cd "$dir" && ctest --output-on-failure -j"$(nproc)") || status=$?
if compgen -G "$reports/*" >/dev/null; then
  echo "Sanitizer reports:"
  for report in "$reports"/*; do
    echo "== $report"
    cat "$report"
  done
  status=1
fi
if grep -n "runtime error:" "$dir/Testing/Temporary/LastTest.log"; then
  echo "UndefinedBehaviorSanitizer reported the lines above (build-sanitize/Testing/Temporary/LastTest.log)"
  status=1
fi
echo "Sanitizer build: $((built - start)) s to build, $((SECONDS - built)) s to test"
exit $status
