#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, then an AddressSanitizer +
# UndefinedBehaviorSanitizer build; then runs each fuzz target for a bounded
# time (scripts/fuzz.sh) and the thread-checker build. Fails on the first
# failure.
#
# Debug information is kept to line tables (-g1): enough for the checkers'
# stack traces, a fraction of the disk full information takes. With
# CORVANTA_DROP_BUILDS=1 (set by .ci/run) each build folder is removed once
# its phase has passed, so a machine with little free disk holds one build at
# a time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCORVANTA_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error
  drop_build "$dir"
}

drop_build() {
  if [ "${CORVANTA_DROP_BUILDS:-0}" = 1 ]; then rm -rf "$1"; fi
}

# The checker build's test programs are large (each links the instrumented
# calculator library). With CORVANTA_DROP_BUILDS=1 they are built and run one
# label at a time, and each label's programs are removed once they have
# passed, so the build folder never holds all of them.
run_suite_by_label() {
  local dir=$1; shift
  if [ "${CORVANTA_DROP_BUILDS:-0}" != 1 ]; then
    run_suite "$dir" "$@"
    return
  fi
  cmake -S . -B "$dir" -G Ninja -DCORVANTA_WERROR=ON "$@"
  local label
  while read -r label; do
    echo "-- tests labelled $label"
    cmake --build "$dir" -j "$jobs" --target "test_programs_$label"
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error -L "^${label}\$"
    xargs rm -f <"$dir/test_programs_$label.txt"
  done <"$dir/test_labels.txt"
  # Every test carries a label, so none was left out above.
  if ctest --test-dir "$dir" -N -LE . | grep -q "Test *#"; then
    echo "tests without a label:"; ctest --test-dir "$dir" -N -LE .
    return 1
  fi
  drop_build "$dir"
}

echo "== normal build"
run_suite build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite_by_label build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCORVANTA_SANITIZE=address,undefined -DCORVANTA_BENCH=OFF
echo "== fuzz targets (clang libFuzzer, address + undefined-behaviour checks, 30 s each)"
bash scripts/fuzz.sh 30
drop_build build/fuzz
if [ -f scripts/test-tsan.sh ]; then
  echo "== ThreadSanitizer build"
  bash scripts/test-tsan.sh
  drop_build build/tsan
fi
echo "all test builds passed"
