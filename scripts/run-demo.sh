#!/usr/bin/env bash
# Runs the demo player under Wine; called by scripts/demo.sh inside
# xvfb-run, with WINEPREFIX set.  Boots the prefix once and keeps Wine's
# background processes away from the terminal.
set -uo pipefail

tests="$1"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

"$wine" wineboot -i >/dev/null 2>&1 </dev/null
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
"$wineserver" -p >/dev/null 2>&1 </dev/null

"$wine" "$tests/kestrune_player_demo.exe" | tr -d '\r'
code=${PIPESTATUS[0]}

"$wineserver" -k >/dev/null 2>&1 </dev/null
"$wineserver" -w >/dev/null 2>&1 </dev/null
exit "$code"
