#!/usr/bin/env bash
# Runs the demo player under Wine; called by scripts/demo.sh inside
# xvfb-run, with WINEPREFIX set.  Prepares the prefix (tests/wine-prefix.sh)
# and keeps Wine's background processes away from the terminal.
set -uo pipefail

tests="$1"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# Prepare the prefix, then stop what its first boot started with the old
# settings, and run with one quiet persistent server.
bash "$(dirname "${BASH_SOURCE[0]}")/../tests/wine-prefix.sh"
"$wineserver" -k >/dev/null 2>&1 </dev/null
"$wineserver" -w >/dev/null 2>&1 </dev/null
"$wineserver" -p >/dev/null 2>&1 </dev/null

"$wine" "$tests/kestrune_player_demo.exe" | tr -d '\r'
code=${PIPESTATUS[0]}

"$wineserver" -k >/dev/null 2>&1 </dev/null
"$wineserver" -w >/dev/null 2>&1 </dev/null
exit "$code"
