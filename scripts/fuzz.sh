#!/usr/bin/env bash
# Builds the file-reader fuzzers with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for $1 seconds (30 by default) from
# the committed seed corpus. Prints the executions each target reached.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build=build-fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKV_FUZZ=ON -DKV_GUI=OFF -DKV_TESTS=OFF -DKV_BENCH=OFF >/dev/null
cmake --build "$build" --target kv_fuzzers -j"$(nproc)"

status=0
summary=""
for target in savegame replay settings teams names keylookup; do
  work="$build/corpus/$target"
  mkdir -p "$work" "$build/crashes/$target"
  log="$build/fuzz_$target.log"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$build/crashes/$target/" \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    echo "fuzz_$target: НАЙДЕН СБОЙ, см. $log и $build/crashes/$target/"
    tail -n 40 "$log"
    status=1
  fi
  runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -n1 | grep -o '[0-9]*' || echo 0)
  summary+="fuzz_$target: ${runs:-0} executions in ${seconds} s"$'\n'
done
printf '%s' "$summary"
exit "$status"
