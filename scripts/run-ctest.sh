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

# Prepare the prefix, then stop everything it started: Wine's desktop
# process, started by a first boot before the settings existed, would keep
# the old ones.  Then one persistent server for the run, started before any
# program (a server that a program started would exit between tests).
bash "$(dirname "${BASH_SOURCE[0]}")/../tests/wine-prefix.sh"
"$wineserver" -k >/dev/null 2>&1 </dev/null
"$wineserver" -w >/dev/null 2>&1 </dev/null
"$wineserver" -p >/dev/null 2>&1 </dev/null
"$wine" wineboot >/dev/null 2>&1 </dev/null

ctest --test-dir "$tests" -j2 --output-on-failure --timeout 300 "$@"
code=$?

"$wineserver" -k >/dev/null 2>&1 </dev/null
"$wineserver" -w >/dev/null 2>&1 </dev/null
exit "$code"
