#!/usr/bin/env bash
# Runs ctest in the test build under Wine; called by scripts/test.sh inside
# xvfb-run, with WINEPREFIX set.
#
#   scripts/run-ctest.sh <test build dir> [ctest arguments...]
#
# Keeps one wineserver for the whole run, prepares the prefix
# (start_wine of scripts/common.sh), and stops the server at the end.  A
# test that hangs is stopped after 300 seconds.  The tests run one at a
# time: they share one Wine desktop with one foreground window, and a test
# program starting beside another takes the foreground from it, which
# hides a Now Playing dialog or sends its keys to no window.  ctest's
# output is also kept in <test build dir>/ctest.log, for scripts/test.sh's
# summary.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

tests="$1"
shift

start_wine
"$wine" wineboot >/dev/null 2>&1 </dev/null

ctest --test-dir "$tests" --output-on-failure --timeout 300 "$@" 2>&1 | tee "$tests/ctest.log"
code=${PIPESTATUS[0]}

stop_wine
exit "$code"
