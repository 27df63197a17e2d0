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
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

prepare_build
build_dll
configure_tests
cmake --build "$tests_build"

exec_in_display scripts/run-ctest.sh "$tests_build" "$@"
