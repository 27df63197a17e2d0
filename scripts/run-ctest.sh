#!/usr/bin/env bash
# Runs ctest in the test build under Wine; called by scripts/test.sh inside
# xvfb-run, with WINEPREFIX set.
#
#   scripts/run-ctest.sh <test build dir> [ctest arguments...]
#
# Keeps one wineserver for the whole run, prepares the prefix
# (tests/wine-prefix.sh), and stops the server at the end.  A test that
# hangs is stopped after 300 seconds.
# Wine's background processes get /dev/null for their output: holding
# ctest's pipes they would make it wait after every test.
set -uo pipefail

tests="$1"
shift
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# The persistent server first: a server that wineboot started would be the
# one every later program used, and it would exit between tests.
mkdir -p "$WINEPREFIX"
"$wineserver" -p >/dev/null 2>&1 </dev/null
bash "$(dirname "${BASH_SOURCE[0]}")/../tests/wine-prefix.sh"

ctest --test-dir "$tests" -j2 --output-on-failure --timeout 300 "$@"
code=$?

"$wineserver" -k >/dev/null 2>&1 </dev/null
"$wineserver" -w >/dev/null 2>&1 </dev/null
exit "$code"
