#!/usr/bin/env bash
# The main job on show: builds gen_Kestrune.dll for 32-bit Windows (the
# shipped file), builds the x86_64 test configuration, and runs the
# stand-in player kestrune_player_demo.exe under wine64 in a virtual X
# display.  The player loads the same sources' x86_64 DLL from a Plugins
# folder beside itself and prints what the plug-in does.
#
# Build directories as for scripts/test.sh: build/dll and build/tests, or
# $BUILD_DIR-dll and $BUILD_DIR-tests with BUILD_DIR set.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if [ -n "${BUILD_DIR:-}" ]; then
  case "$BUILD_DIR" in /*) base="$BUILD_DIR" ;; *) base="$root/$BUILD_DIR" ;; esac
  dll_build="$base-dll" tests_build="$base-tests"
else
  dll_build="$root/build/dll" tests_build="$root/build/tests"
fi

bash scripts/setup.sh

echo "== building the 32-bit gen_Kestrune.dll"
cmake --preset dll -B "$dll_build" >/dev/null
cmake --build "$dll_build" >/dev/null
dll="$dll_build/gen_Kestrune.dll"
echo "$dll: $(stat -c %s "$dll") bytes"
i686-w64-mingw32-objdump -f "$dll" | sed -n 's/^.*file format \(.*\)$/file format: \1 (PE32, 32-bit Windows)/p'
i686-w64-mingw32-objdump -f "$dll" | grep -E '^architecture' || true

echo "== building the stand-in player and the x86_64 DLL"
cmake --preset tests -B "$tests_build" -DKESTRUNE_DLL32="$dll" >/dev/null
cmake --build "$tests_build" --target kestrune_player_demo >/dev/null

echo "== running kestrune_player_demo.exe under wine64"
export WINEPREFIX="$tests_build/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/run-demo.sh "$tests_build"
