#!/usr/bin/env bash
# Runs a Windows program under Wine: the cross-compiling emulator of the
# test configurations, used by ctest for every test and for test discovery.
#
#   tests/wine-run.sh <program.exe> [arguments...]           # x86_64
#   tests/wine-run.sh --i686 <program.exe> [arguments...]    # i686
#
# An i686 program runs by the route scripts/setup.sh decided for this
# machine (scripts/route.sh): on the host, in wine64's WoW64 mode, with
# WINEDLLPATH naming build/wow64/dlls of this checkout (Wine's 32-bit DLLs);
# inside the i386 tree of the classic route (scripts/i386-tree.sh), under
# classic 32-bit Wine (tests/wine-env.sh tells which Wine is installed).
# The Wine prefix is WINEPREFIX when set, otherwise "wineprefix" beside the
# program (the build directory), or "wineprefix-win32" under classic Wine.
# scripts/test.sh normally boots the prefix and keeps one wineserver
# running for the whole run; without that, Wine starts its own server,
# whose output must not reach the caller's pipes, so it is started here
# with its output sent to /dev/null.  A new prefix is prepared by
# tests/wine-prefix.sh.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

if [ "${1:-}" = "--i686" ]; then
  shift
  if [ -z "$wine_classic" ]; then
    route="$(head -n 1 "$(dirname "${BASH_SOURCE[0]}")/../build/route/i686" 2>/dev/null)"
    case "$route" in
      classic)
        echo "wine-run.sh: this machine runs i686 programs under classic 32-bit Wine, inside the i386 tree:" >&2
        echo "wine-run.sh: bash scripts/i386-tree.sh xvfb-run -a tests/wine-run.sh --i686 ..." >&2
        exit 1
        ;;
      none)
        echo "wine-run.sh: this machine runs no 32-bit code ($(sed -n 2p "$(dirname "${BASH_SOURCE[0]}")/../build/route/i686"))" >&2
        exit 1
        ;;
    esac
    dlls="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wow64/dlls"
    if [ ! -e "$dlls/i386-windows/kernel32.dll" ]; then
      echo "wine-run.sh: no Wine 32-bit DLLs in $dlls: run scripts/setup.sh" >&2
      exit 1
    fi
    export WINEDLLPATH="$dlls"
  fi
fi
program="${1:?usage: wine-run.sh [--i686] program.exe [arguments...]}"
prefix_name=wineprefix
[ -n "$wine_classic" ] && prefix_name=wineprefix-win32
: "${WINEPREFIX:=$(cd "$(dirname "$program")" && pwd)/$prefix_name}"
export WINEPREFIX WINEARCH=$wine_arch WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="

# A new prefix is prepared, and what its first boot started with the old
# settings is stopped.  Then a server that outlives this program by a few
# seconds is started, unless one is running already (a second server sees
# the first and exits at once).
if [ ! -f "$WINEPREFIX/.update-timestamp" ]; then
  bash "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
  "$wineserver" -k >/dev/null 2>&1 </dev/null
  "$wineserver" -w >/dev/null 2>&1 </dev/null
fi
"$wineserver" -p5 >/dev/null 2>&1 </dev/null

# Wine's console output ends lines with "\r\n".  The list that gtest test
# discovery parses must have plain "\n", or every test name would end in "\r".
for argument in "$@"; do
  if [ "$argument" = "--gtest_list_tests" ]; then
    set -o pipefail
    "$wine" "$@" | tr -d '\r'
    exit $?
  fi
done

# A GoogleTest program run for one test must end with GoogleTest's verdict.
# A program that dies without it (under wine64 a stack overflow inside a
# window procedure can end the process with code 0) fails, whatever its
# exit code says.  A run that fails before the program printed anything
# never reached the test (rarely, Wine's loader has ended that way within
# 30 ms, silently, on a busy machine); it is said and run once more.
for argument in "$@"; do
  case "$argument" in
  --gtest_filter=*)
    output="$(mktemp)"
    for attempt in 1 2; do
      "$wine" "$@" | tee "$output"
      code=${PIPESTATUS[0]}
      [ "$code" -ne 0 ] && [ ! -s "$output" ] && [ "$attempt" -eq 1 ] || break
      echo "wine-run.sh: $program ended with code $code before printing anything; running it again" >&2
    done
    if ! tr -d '\r' <"$output" | grep -qE '^\[  (PASSED|SKIPPED|FAILED) +\]'; then
      echo "wine-run.sh: $program ended with code $code but without GoogleTest's verdict" >&2
      [ "$code" -eq 0 ] && code=1
    fi
    rm -f "$output"
    exit "$code"
    ;;
  esac
done
exec "$wine" "$@"
