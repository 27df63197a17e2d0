#!/usr/bin/env bash
# The main job on show: builds gen_Kestrune.dll for 32-bit Windows (the
# shipped file) and runs it in the 32-bit stand-in player
# kestrune_player_demo.exe, in a virtual X display, by the 32-bit route
# scripts/setup.sh decided for this machine (scripts/route.sh): classic
# 32-bit Wine in an i386 tree, or wine64's WoW64 mode.  The player loads the
# DLL from a Plugins folder beside itself and prints what the plug-in does.
# 32-bit code cannot draw in WoW64 mode, so there the demo skips the windows
# that need drawing and says so; where no 32-bit code runs at all, this
# part says so and why.  A second part runs the same sources' x86_64 DLL in
# the x86_64 player under plain wine64, where every window of the plug-in
# is shown and shot: the player writes BMP files, and this script turns
# them into PNG files in build/screenshots/ (the marquee, which covers the
# whole 1280 x 1024 screen, at half size), with ABOUT.txt saying which run
# made them: the shipped DLL's where classic 32-bit Wine drew every window,
# else the x86_64 twin's.
#
# Exits with 1 when a run that could run failed (a window the demo should
# show did not appear, or the player crashed) or a screenshot is missing;
# both runs go on regardless, so everything that works is still shown.
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

failed=()
case "$i686_route" in
  none)
    echo "== the 32-bit part cannot run on this machine"
    echo "$i686_summary"
    ;;
  *)
    echo "== the shipped DLL in the 32-bit player, by the route: $i686_summary"
    in_display i686 scripts/run-demo.sh "$tests32_build" || failed+=("the 32-bit run (exit code $?)")
    ;;
esac

echo "== building the x86_64 stand-in player and the x86_64 DLL"
configure_tests x86_64
cmake --build "$tests_build" --target kestrune_player_demo >/dev/null

echo "== the x86_64 DLL in the x86_64 player, under wine64"
rm -rf "$tests_build/screenshots"
in_display x86_64 scripts/run-demo.sh "$tests_build" || failed+=("the x86_64 run (exit code $?)")

# The windows the runs shoot, in the order they show them, and the cover
# file the plug-in wrote (its own PNG, taken as it is).
shots=(config-dialog font-picker colour-picker stream-outputs now-playing control-panel tray-menu cue-point-tweaker marquee
  stream-cover)
# The shipped DLL's pictures where its run drew them all (classic 32-bit
# Wine), else the x86_64 twin's.
shots_from="$tests_build/screenshots"
made_by="the x86_64 twin of gen_Kestrune.dll in the x86_64 stand-in player, under wine64"
if [ "$i686_route" = classic ]; then
  all=1
  for shot in "${shots[@]}"; do
    [ -f "$tests32_build/screenshots/$shot.bmp" ] || [ -f "$tests32_build/screenshots/$shot.png" ] || all=0
  done
  if [ "$all" -eq 1 ]; then
    shots_from="$tests32_build/screenshots"
    made_by="the shipped 32-bit gen_Kestrune.dll in the 32-bit stand-in player, under classic 32-bit Wine"
  fi
fi
echo "== screenshots in $screenshots: $made_by"
rm -rf "$screenshots"
mkdir -p "$screenshots"
for shot in "${shots[@]}"; do
  bmp="$shots_from/$shot.bmp" png="$screenshots/$shot.png"
  [ -f "$bmp" ] || bmp="${bmp%.bmp}.png"
  if [ ! -f "$bmp" ]; then
    echo "$shot: not taken"
    failed+=("the screenshot $shot")
    continue
  fi
  resize=()
  [ "$shot" = marquee ] && resize=(-resize 50%)
  convert "$bmp" "${resize[@]}" -strip "$png"
  echo "$png: $(identify -format '%wx%h' "$png"), $(stat -c %s "$png") bytes"
done
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dll_build/CMakeCache.txt")"
printf 'These pictures were made by scripts/demo.sh on %s from gen_Kestrune %s:
%s.
' \
  "$(date -u '+%Y-%m-%d %H:%M UTC')" "$version" "$made_by" >"$screenshots/ABOUT.txt"
cat "$screenshots/ABOUT.txt"

if [ ${#failed[@]} -ne 0 ]; then
  printf 'demo.sh: failed: %s\n' "${failed[@]}" >&2
  exit 1
fi
