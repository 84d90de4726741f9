#!/usr/bin/env bash
# Builds the fuzzers of the file readers and of the network's decoder with
# clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs each
# from the committed seed corpus:
#   scripts/fuzz.sh [SECONDS]   each target for SECONDS (30 by default)
#   scripts/fuzz.sh --long      each target to a million executions, timed
# Prints the executions each target reached and their rate.
set -euo pipefail
cd "$(dirname "$0")/.."
limit="-max_total_time=${1:-30}"
[ "${1:-}" = "--long" ] && limit="-runs=1000000"
build=build-fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKV_FUZZ=ON -DKV_GUI=OFF -DKV_TESTS=OFF -DKV_BENCH=OFF >/dev/null
cmake --build "$build" --target kv_fuzzers -j"$(nproc)"

status=0
summary=""
for target in savegame replay settings teams names keylookup net seatticket; do
  # The first folder takes what the run finds; the committed seeds stay as they are.
  work="$build/corpus/$target"
  mkdir -p "$work" "$build/crashes/$target"
  log="$build/fuzz_$target.log"
  start=$(date +%s.%N)
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "$build/fuzz/fuzz_$target" "$limit" -max_len=8192 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$build/crashes/$target/" \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    echo "fuzz_$target: НАЙДЕН СБОЙ, см. $log и $build/crashes/$target/"
    tail -n 40 "$log"
    status=1
  fi
  end=$(date +%s.%N)
  runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -n1 | grep -o '[0-9]*' || echo 0)
  summary+=$(awk -v t="fuzz_$target" -v r="${runs:-0}" -v a="$start" -v b="$end" \
    'BEGIN { s = b - a; printf "%s: %d executions in %.1f s (%.0f per second)\n", t, r, s, r / s }')
  summary+=$'\n'
done
printf '%s' "$summary"
exit "$status"
