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
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

prepare_build

echo "== building the 32-bit gen_Kestrune.dll"
build_dll >/dev/null
dll="$dll_build/gen_Kestrune.dll"
echo "$dll: $(stat -c %s "$dll") bytes"
i686-w64-mingw32-objdump -f "$dll" | sed -n 's/^.*file format \(.*\)$/file format: \1 (PE32, 32-bit Windows)/p'
i686-w64-mingw32-objdump -f "$dll" | grep -E '^architecture' || true

echo "== building the stand-in player and the x86_64 DLL"
configure_tests
cmake --build "$tests_build" --target kestrune_player_demo >/dev/null

echo "== running kestrune_player_demo.exe under wine64"
exec_in_display scripts/run-demo.sh "$tests_build"
