#!/usr/bin/env bash
# Builds gen_Kestrune.dll for 32-bit Windows and both test builds, then runs
# the whole test suite twice in a virtual X display:
#   x86_64  the same sources built for x86_64, under plain wine64;
#   i686    the tests built for i686 and the shipped DLL itself, by the
#           32-bit route scripts/setup.sh decided for this machine
#           (scripts/route.sh): classic 32-bit Wine in an i386 tree (full
#           drawing), wine64's WoW64 mode, or none.  Where no 32-bit code
#           runs, the i686 suite is built but not run, and the summary says
#           so last, on its own line and on stderr, with the reason.
#
#   bash scripts/test.sh                 # everything, on both architectures
#   bash scripts/test.sh -R Lifecycle    # extra arguments go to ctest
#   TEST_ARCH=i686 bash scripts/test.sh  # one architecture only
#
# Build directories: build/dll for the shipped DLL, build/tests and
# build/tests32 for the tests and their Wine prefixes (the presets' own);
# with BUILD_DIR set, $BUILD_DIR-dll, $BUILD_DIR-tests and $BUILD_DIR-tests32
# instead (BUILD_DIR=build/me).  Exits with the first failed run's ctest
# code (0 when every run passes), or 1 when only a fuzz target failed; a
# suite this machine cannot run fails nothing.  The summary (each
# architecture's route and ctest summary, and the time taken) is the last
# thing printed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

started=$SECONDS
read -r -a architectures <<<"${TEST_ARCH:-x86_64 i686}"

prepare_build
for arch in "${architectures[@]}"; do
  test_build_of "$arch" >/dev/null || exit 2
done
build_dll
for arch in "${architectures[@]}"; do
  configure_tests "$arch"
  cmake --build "$(test_build_of "$arch")"
done

# "  skipped <test>: <first line of its reason>" for each test the last
# ctest run of a build skipped.
skipped_tests() {
  local log="$1/Testing/Temporary/LastTest.log"
  [ -f "$log" ] || return 0
  tr -d '\r' <"$log" | awk '
    /: Skipped$/ { getline reason; skipped = 1; next }
    skipped && /^\[  SKIPPED \] / {
      name = $0; sub(/^\[  SKIPPED \] /, "", name); sub(/ \(.*$/, "", name)
      print "  skipped " name ": " reason; skipped = 0
    }'
}

# ---- fuzz targets (scripts/fuzz.sh) ------------------------------------------
# Natively, before the Wine suites: KESTRUNE_FUZZ_SECONDS a target, 15 on a
# whole run and 0 (none) when ctest arguments pick tests.  A fuzz failure
# fails the command, and the Wine suites still run.
fuzz_code=0
bash scripts/fuzz.sh "${KESTRUNE_FUZZ_SECONDS:-$(($# ? 0 : 15))}" || fuzz_code=$?

declare -A result summary
not_run=
for arch in "${architectures[@]}"; do
  build="$(test_build_of "$arch")"
  if [ "$arch" = i686 ] && [ "$i686_route" = none ]; then
    echo "== $arch: not run on this machine (see the summary)"
    result[$arch]=0
    summary[$arch]="not run"
    not_run="$i686_summary"
    continue
  fi
  echo "== $arch: ctest in $build"
  arch_started=$SECONDS
  code=0
  in_display "$arch" scripts/run-ctest.sh "$build" "$@" || code=$?
  result[$arch]=$code
  summary[$arch]="$(grep -E 'tests passed|No tests were found' "$build/ctest.log" | tail -n 1 | tr -d '\r')"
  summary[$arch]="${summary[$arch]:-no ctest summary} ($((SECONDS - arch_started)) s)"
  skipped="$(skipped_tests "$build")"
  [ -z "$skipped" ] || summary[$arch]+=$'\n'"$skipped"
done

echo "== summary"
failed=0
for arch in "${architectures[@]}"; do
  echo "route:  $(route_of "$arch")"
  printf '%-7s %s\n' "$arch:" "${summary[$arch]}"
  [ "$failed" -ne 0 ] || failed="${result[$arch]}"
done
[ "$fuzz_code" -eq 0 ] || echo "fuzz:   a target failed (see \"fuzz:\" above)"
echo "test.sh: $((SECONDS - started)) s in all"
[ -z "$not_run" ] || echo "$not_run" >&2
[ "$failed" -ne 0 ] || failed=$fuzz_code
exit "$failed"
