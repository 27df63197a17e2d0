#!/usr/bin/env bash
# The main job on show: builds gen_Kestrune.dll for 32-bit Windows (the
# shipped file) and runs it in the 32-bit stand-in player
# kestrune_player_demo.exe under wine64's WoW64 mode, in a virtual X
# display: the player loads the DLL from a Plugins folder beside itself and
# prints what the plug-in does.  A second part runs the same sources'
# x86_64 DLL in the x86_64 player under plain wine64.
#
# Build directories as for scripts/test.sh: build/dll, build/tests32 and
# build/tests, or $BUILD_DIR-dll, $BUILD_DIR-tests32 and $BUILD_DIR-tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

prepare_build

echo "== building the 32-bit gen_Kestrune.dll"
build_dll >/dev/null
dll="$dll_build/gen_Kestrune.dll"
echo "$dll: $(stat -c %s "$dll") bytes"
i686-w64-mingw32-objdump -f "$dll" | sed -n 's/^.*file format \(.*\)$/file format: \1 (PE32, 32-bit Windows)/p'
i686-w64-mingw32-objdump -f "$dll" | grep -E '^architecture' || true

echo "== building the 32-bit stand-in player"
configure_tests i686
cmake --build "$tests32_build" --target kestrune_player_demo >/dev/null

echo "== the shipped DLL in the 32-bit player, under wine64's WoW64 mode"
in_display i686 scripts/run-demo.sh "$tests32_build"

echo "== building the x86_64 stand-in player and the x86_64 DLL"
configure_tests x86_64
cmake --build "$tests_build" --target kestrune_player_demo >/dev/null

echo "== the x86_64 DLL in the x86_64 player, under wine64"
in_display x86_64 scripts/run-demo.sh "$tests_build"
