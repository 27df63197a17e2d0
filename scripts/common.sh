# Shared by the scripts of this folder; sourced, never run.
#
# scripts/test.sh and scripts/demo.sh source it first: it moves to the
# repository's root, names the build directories and installs what is
# missing (scripts/setup.sh).  Build directories: build/dll for the shipped
# DLL and build/tests for the tests and their Wine prefix (the presets' own);
# with BUILD_DIR set, $BUILD_DIR-dll and $BUILD_DIR-tests instead
# (BUILD_DIR=build/me, relative to the root, or an absolute path).
#
# scripts/run-ctest.sh and scripts/run-demo.sh, run inside xvfb-run with
# WINEPREFIX set, use the Wine functions below around their program.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# Sets dll_build and tests_build, moves to the root and installs what is missing.
prepare_build() {
  cd "$root"
  if [ -n "${BUILD_DIR:-}" ]; then
    local base
    case "$BUILD_DIR" in /*) base="$BUILD_DIR" ;; *) base="$root/$BUILD_DIR" ;; esac
    dll_build="$base-dll" tests_build="$base-tests"
  else
    dll_build="$root/build/dll" tests_build="$root/build/tests"
  fi
  bash scripts/setup.sh
}

# Configures and builds the 32-bit gen_Kestrune.dll; the build's own output goes to stdout.
build_dll() {
  cmake --preset dll -B "$dll_build" >/dev/null
  cmake --build "$dll_build"
}

# Configures the x86_64 test build, which the binary tests of the 32-bit DLL read.
configure_tests() {
  cmake --preset tests -B "$tests_build" -DKESTRUNE_DLL32="$dll_build/gen_Kestrune.dll" >/dev/null
}

# Runs a script of this folder in a virtual X display with the test build's
# Wine prefix; takes the place of the calling shell.
exec_in_display() {
  export WINEPREFIX="$tests_build/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$@"
}

# Prepares the prefix WINEPREFIX (tests/wine-prefix.sh), then stops
# everything its first boot started (Wine's desktop process, started before
# the settings existed, would keep the old ones), then starts one persistent
# server for the run, before any program (a server that a program started
# would exit between programs).  Wine's background processes get /dev/null
# for their output: holding a caller's pipes they would make it wait.
start_wine() {
  bash "$root/tests/wine-prefix.sh"
  "$wineserver" -k >/dev/null 2>&1 </dev/null
  "$wineserver" -w >/dev/null 2>&1 </dev/null
  "$wineserver" -p >/dev/null 2>&1 </dev/null
}

# Stops the server and every Wine process of the prefix, and waits for them.
stop_wine() {
  "$wineserver" -k >/dev/null 2>&1 </dev/null
  "$wineserver" -w >/dev/null 2>&1 </dev/null
}
