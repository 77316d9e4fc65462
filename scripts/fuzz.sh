#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang's libFuzzer under the address
# and undefined-behaviour checkers, and runs each for a bounded time from its
# checked-in corpus (fuzz/corpus/<target>/), several at once. Fails when a
# target finds an input that breaks it; the input is kept in
# build/fuzz/findings/<target>/ and its log in build/fuzz/logs/<target>.log.
#
#   scripts/fuzz.sh [seconds per target, default 30] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
jobs=${FUZZ_JOBS:-$(nproc)}

cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" -DCORVANTA_SANITIZE=address,undefined \
  -DCORVANTA_FUZZ=ON -DCORVANTA_SHELL=ON -DCORVANTA_BENCH=OFF -DCORVANTA_WERROR=OFF >/dev/null
cmake --build build/fuzz -j "$jobs" --target fuzz_targets

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do
    t=$(basename "$dir")
    [ -x "build/fuzz/fuzz/fuzz_$t" ] && targets+=("$t")
  done
fi

run_one() {
  local t=$1 seconds=$2
  mkdir -p "build/fuzz/work/$t" "build/fuzz/findings/$t" build/fuzz/logs
  if "build/fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -artifact_prefix="build/fuzz/findings/$t/" -print_final_stats=1 \
      "build/fuzz/work/$t" "fuzz/corpus/$t" >"build/fuzz/logs/$t.log" 2>&1; then
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "build/fuzz/logs/$t.log" | grep -o '[0-9]*$' || true)
    echo "fuzz $t: clean, ${runs:-?} inputs in ${seconds} s"
  else
    echo "fuzz $t: FOUND A FAULT (input in build/fuzz/findings/$t/)"
    grep -E 'ERROR|SUMMARY|fuzz/.*\.cpp:|runtime error|#[0-9]+ 0x' "build/fuzz/logs/$t.log" | head -40
    return 1
  fi
}
export -f run_one

export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c "run_one {} $seconds"
echo "fuzz targets: ${#targets[@]} ran clean"
