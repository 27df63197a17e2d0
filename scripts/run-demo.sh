#!/usr/bin/env bash
# Runs the demo player under Wine; called by scripts/demo.sh inside
# xvfb-run, with WINEPREFIX set.  Prepares the prefix and runs with one
# quiet persistent server (start_wine of scripts/common.sh), keeping Wine's
# background processes away from the terminal.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

tests="$1"

start_wine

"$wine" "$tests/kestrune_player_demo.exe" | tr -d '\r'
code=${PIPESTATUS[0]}

stop_wine
exit "$code"
