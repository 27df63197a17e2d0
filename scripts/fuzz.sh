#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz natively (clang with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for a
# bounded time.  scripts/test.sh runs it with 15 seconds a target.
#
#   bash scripts/fuzz.sh                     # 15 seconds each
#   bash scripts/fuzz.sh 600                 # ten minutes each
#   bash scripts/fuzz.sh 60 settings_ini     # only the targets named
#
# A target starts from its committed seeds (tests/fuzz/corpus/<target>/) and
# from the inputs earlier runs found (corpus/<target>/ of the build
# directory, build/fuzz or $BUILD_DIR-fuzz, kept between runs).  An input
# that breaks a target is kept in crashes/ of the build directory; the
# target's whole output is in <target>.log there.  Exits 1 when any target
# failed, after running all of them.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds="${1:-15}"
shift $(($# > 0 ? 1 : 0))
if [ "$seconds" -eq 0 ]; then
  echo "fuzz: skipped (0 seconds)"
  exit 0
fi

prepare_build || exit 1
fuzz_build="${dll_build%dll}fuzz"
cmake -S tests/fuzz -B "$fuzz_build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
  cmake --build "$fuzz_build" || exit 1

failed=()
while read -r target max_len; do
  if [ $# -gt 0 ] && [[ " $* " != *" $target "* ]]; then continue; fi
  mkdir -p "$fuzz_build/corpus/$target" "$fuzz_build/crashes"
  log="$fuzz_build/$target.log"
  if "$fuzz_build/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=30 \
       -artifact_prefix="$fuzz_build/crashes/$target-" \
       "$fuzz_build/corpus/$target" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    echo "fuzz: $target: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log"), coverage $(grep -o 'DONE *cov: [0-9]*' "$log" | grep -o '[0-9]*$'): no failure"
  else
    failed+=("$target")
    echo "fuzz: $target FAILED; the end of $log:"
    grep -E -A12 -m1 'invariant broken|ERROR: (Address|Leak)Sanitizer|runtime error|ERROR: libFuzzer' "$log"
    echo "fuzz: the input is in $fuzz_build/crashes/; replay: $fuzz_build/$target <input>"
  fi
done <"$fuzz_build/targets.txt"

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}"
  exit 1
fi
