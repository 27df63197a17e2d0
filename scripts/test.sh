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
# Exits with ctest's code, or 1 when only a fuzz target failed; ctest's
# summary is the last thing printed (and a line after it when one failed).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

prepare_build
build_dll
configure_tests
cmake --build "$tests_build"

# ---- fuzz targets (scripts/fuzz.sh) ------------------------------------------
# Natively, before the Wine suite: KESTRUNE_FUZZ_SECONDS a target, 15 on a
# whole run and 0 (none) when ctest arguments pick tests.  A fuzz failure
# fails the command, and the Wine suite still runs.
fuzz_code=0
bash scripts/fuzz.sh "${KESTRUNE_FUZZ_SECONDS:-$(($# ? 0 : 15))}" || fuzz_code=$?
suite_code=0
(exec_in_display scripts/run-ctest.sh "$tests_build" "$@") || suite_code=$?
[ "$fuzz_code" -eq 0 ] || echo "test: a fuzz target failed (see \"fuzz:\" above)"
exit $((suite_code ? suite_code : fuzz_code))
