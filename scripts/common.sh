# Shared by the scripts of this folder; sourced, never run.
#
# scripts/test.sh and scripts/demo.sh source it first: it moves to the
# repository's root, names the build directories and installs what is
# missing (scripts/setup.sh).  Build directories (the presets' own):
# build/dll for the shipped DLL, build/tests for the x86_64 tests and
# build/tests32 for the i686 tests, each test build with its Wine prefix;
# with BUILD_DIR set, $BUILD_DIR-dll, $BUILD_DIR-tests and $BUILD_DIR-tests32
# instead (BUILD_DIR=build/me, relative to the root, or an absolute path);
# the demo's screenshots go to build/screenshots or $BUILD_DIR-screenshots.
# Wine's 32-bit DLLs are in build/wow64 of the checkout whatever BUILD_DIR.
#
# Two test architectures, each with its own build and prefix:
#   x86_64  the same sources built for x86_64, under plain wine64;
#   i686    the tests built for i686, loading the shipped DLL itself, by
#           the machine's 32-bit route (scripts/route.sh, decided by
#           scripts/setup.sh): classic 32-bit Wine inside the i386 tree,
#           wine64's WoW64 mode (WINEDLLPATH=build/wow64/dlls), or none.
#
# scripts/run-ctest.sh and scripts/run-demo.sh, run inside xvfb-run with
# WINEPREFIX set (inside the i386 tree on the classic route), use the Wine
# functions below around their program.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/tests/wine-env.sh"
source "$root/scripts/route.sh"

# Sets dll_build, tests_build, tests32_build and screenshots (the demo's
# PNG files: build/screenshots, or $BUILD_DIR-screenshots), moves to the
# root and installs what is missing.
prepare_build() {
  cd "$root"
  if [ -n "${BUILD_DIR:-}" ]; then
    local base
    case "$BUILD_DIR" in /*) base="$BUILD_DIR" ;; *) base="$root/$BUILD_DIR" ;; esac
    dll_build="$base-dll" tests_build="$base-tests" tests32_build="$base-tests32" screenshots="$base-screenshots"
  else
    dll_build="$root/build/dll" tests_build="$root/build/tests" tests32_build="$root/build/tests32"
    screenshots="$root/build/screenshots"
  fi
  # Once per command: a script that another one runs (fuzz.sh under
  # test.sh) takes the decision already made.
  if [ -z "${KESTRUNE_SETUP_DONE:-}" ]; then
    bash scripts/setup.sh
    export KESTRUNE_SETUP_DONE=1
  fi
  read_route
}

# The test build of an architecture (x86_64 or i686).
test_build_of() {
  case "$1" in
    x86_64) echo "$tests_build" ;;
    i686) echo "$tests32_build" ;;
    *) echo "unknown test architecture: $1 (x86_64 or i686)" >&2; return 1 ;;
  esac
}

# Configures and builds the 32-bit gen_Kestrune.dll; the build's own output goes to stdout.
build_dll() {
  cmake --preset dll -B "$dll_build" >/dev/null
  cmake --build "$dll_build"
}

# Configures the test build of an architecture; both read the shipped DLL
# in their binary tests, and the i686 build runs it.
configure_tests() {
  local preset=tests
  [ "$1" = i686 ] && preset=tests32
  cmake --preset "$preset" -B "$(test_build_of "$1")" -DKESTRUNE_DLL32="$dll_build/gen_Kestrune.dll" >/dev/null
}

# Runs a script of this folder in a virtual X display with the Wine prefix
# of an architecture's test build; i686 by the route read_route read (not
# "none": the callers say why it does not run):
#   in_display <x86_64|i686> <script> [arguments...]
# On the classic route the script runs inside the i386 tree, with the test
# build and the shipped DLL's build at their own paths and a 32-bit prefix
# of its own (wineprefix-win32).
in_display() {
  local arch="$1" build
  build="$(test_build_of "$arch")"
  shift
  if [ "$arch" = i686 ] && [ "$i686_route" = classic ]; then
    KESTRUNE_TREE_BINDS="$build:$dll_build" run_in_i386_tree env WINEPREFIX="$build/wineprefix-win32" WINEARCH=win32 \
      WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" xvfb-run -a -s "-screen 0 1280x1024x24" bash "$@"
    return
  fi
  (
    export WINEPREFIX="$build/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    [ "$arch" = i686 ] && export WINEDLLPATH="$wow64_dlls"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$@"
  )
}

# How an architecture runs here, for summaries: "x86_64: wine64" or the
# i686 route's summary line.
route_of() {
  if [ "$1" = i686 ]; then echo "$i686_summary"; else echo "x86_64: wine64 (64-bit Wine, full drawing)"; fi
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
