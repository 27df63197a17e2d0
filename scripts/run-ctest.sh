#!/usr/bin/env bash
# Runs ctest in the test build under Wine; called by scripts/test.sh inside
# xvfb-run, with WINEPREFIX set.
#
#   scripts/run-ctest.sh <test build dir> [ctest arguments...]
#
# Keeps one wineserver for the whole run, prepares the prefix
# (start_wine of scripts/common.sh), and stops the server at the end.  A
# test that hangs is stopped after 300 seconds.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

tests="$1"
shift

start_wine
"$wine" wineboot >/dev/null 2>&1 </dev/null

ctest --test-dir "$tests" -j2 --output-on-failure --timeout 300 "$@"
code=$?

stop_wine
exit "$code"
