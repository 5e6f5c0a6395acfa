#!/bin/bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for the given number of seconds (default 60), starting from
# its seed corpus when there is one. Prints each fuzzer's closing figures.
set -euo pipefail
cd "$(dirname "$0")"
seconds="${1:-60}"
tools/install-deps.sh
cmake -S . -B build/fuzz -DLUMAVEX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >build/fuzz.log 2>&1
status=0
for src in tests/fuzz/fuzz_*.cpp; do
  name="$(basename "$src" .cpp)"
  cmake --build build/fuzz -j "$(nproc)" --target "$name" >>build/fuzz.log 2>&1
  corpus="build/fuzz/corpus_${name#fuzz_}"
  mkdir -p "$corpus"
  seeds="tests/fuzz/corpus_${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  echo "== $name for ${seconds}s"
  if ! "build/fuzz/tests/$name" -max_total_time="$seconds" -print_final_stats=1 "$corpus" $seeds \
       >"build/$name.log" 2>&1; then
    status=1
    echo "$name found a problem: see build/$name.log"
  fi
  grep -E "^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)|Done [0-9]+ runs" \
    "build/$name.log" || true
done
exit $status
