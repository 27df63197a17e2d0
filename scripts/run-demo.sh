#!/usr/bin/env bash
# Runs the demo player under Wine; called by scripts/demo.sh inside
# xvfb-run, with WINEPREFIX set.  Prepares the prefix (tests/wine-prefix.sh)
# and keeps Wine's background processes away from the terminal.
set -uo pipefail

tests="$1"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# The persistent server first: a server that wineboot started would be the
# one every later program used, and it would exit between tests.
mkdir -p "$WINEPREFIX"
"$wineserver" -p >/dev/null 2>&1 </dev/null
bash "$(dirname "${BASH_SOURCE[0]}")/../tests/wine-prefix.sh"

"$wine" "$tests/kestrune_player_demo.exe" | tr -d '\r'
code=${PIPESTATUS[0]}

"$wineserver" -k >/dev/null 2>&1 </dev/null
"$wineserver" -w >/dev/null 2>&1 </dev/null
exit "$code"
