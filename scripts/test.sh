#!/usr/bin/env bash
# Builds gen_Kestrune.dll for 32-bit Windows and the x86_64 test build, then
# runs the whole test suite under wine64 in a virtual X display.
#
#   bash scripts/test.sh                 # everything
#   bash scripts/test.sh -R Lifecycle    # extra arguments go to ctest
#
# Build directories: build/dll for the shipped DLL and build/tests for the
# tests and their Wine prefix (the presets' own); with BUILD_DIR set,
# $BUILD_DIR-dll and $BUILD_DIR-tests instead (BUILD_DIR=build/me).
# Exits with ctest's code; ctest's summary is the last thing printed.
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

cmake --preset dll -B "$dll_build" >/dev/null
cmake --build "$dll_build"
cmake --preset tests -B "$tests_build" -DKESTRUNE_DLL32="$dll_build/gen_Kestrune.dll" >/dev/null
cmake --build "$tests_build"

export WINEPREFIX="$tests_build/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/run-ctest.sh "$tests_build" "$@"
