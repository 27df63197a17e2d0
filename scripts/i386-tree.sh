#!/usr/bin/env bash
# Runs a command inside the i386 tree of the classic 32-bit route (see
# scripts/route.sh), in the current folder, with the checkout at its own
# path; for running an i686 test program by hand where this machine takes
# that route, e.g.
#
#   export WINEPREFIX=$PWD/build/tests32/wineprefix-win32
#   bash scripts/i386-tree.sh xvfb-run -a -s "-screen 0 1280x1024x24" \
#     tests/wine-run.sh --i686 build/tests32/e2e_tests.exe --gtest_filter='Lifecycle.*'
#
# WINEPREFIX and WINEDEBUG are passed on; further folders outside the
# checkout can be named in KESTRUNE_TREE_BINDS (separated by ":").
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/route.sh"
if ! i386_tree_ready; then
  echo "i386-tree.sh: there is no i386 tree in $i386_tree (scripts/setup.sh makes it where the machine runs i386 programs)" >&2
  exit 1
fi
run_in_i386_tree env ${WINEPREFIX:+WINEPREFIX="$WINEPREFIX"} ${WINEDEBUG:+WINEDEBUG="$WINEDEBUG"} "$@"
