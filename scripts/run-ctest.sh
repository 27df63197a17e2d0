#!/usr/bin/env bash
# Runs ctest in the test build under Wine; called by scripts/test.sh inside
# xvfb-run, with WINEPREFIX set.
#
#   scripts/run-ctest.sh <test build dir> [ctest arguments...]
#
# Boots the prefix once, lets top-level windows be unmanaged (destroying a
# shown window then takes milliseconds instead of seconds without a window
# manager), keeps one wineserver for the whole run and stops it at the end.
# Wine's background processes get /dev/null for their output: holding
# ctest's pipes they would make it wait after every test.
set -uo pipefail

tests="$1"
shift
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

"$wine" wineboot -i >/dev/null 2>&1 </dev/null
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
"$wineserver" -p >/dev/null 2>&1 </dev/null

ctest --test-dir "$tests" -j2 --output-on-failure "$@"
code=$?

"$wineserver" -k >/dev/null 2>&1 </dev/null
"$wineserver" -w >/dev/null 2>&1 </dev/null
exit "$code"
