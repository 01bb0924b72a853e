#!/usr/bin/env bash
# Fuzzes the in-memory decode for two minutes with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, starting from the committed seeds and past findings. Any crash,
# sanitizer report or broken check fails the step; the input that caused it is left in
# build-fuzz/findings/ to be added to tests/fuzz/regressions/.
set -euo pipefail
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELMORA_FUZZ=ON -DPELMORA_VIEWER=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_decode >/dev/null
work=build-fuzz/corpus
rm -rf "$work" build-fuzz/findings
mkdir -p "$work" build-fuzz/findings
cp tests/fuzz/corpus/* tests/fuzz/regressions/* "$work"/
if ! build-fuzz/tests/fuzz/fuzz_decode -dict=tests/fuzz/imag.dict -max_len=2048 \
  -max_total_time=120 -timeout=10 -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ \
  "$work" >build-fuzz/fuzz.log 2>&1; then
  tail -n 60 build-fuzz/fuzz.log
  echo "fuzzing found a fault; the input is in build-fuzz/findings/" >&2
  exit 1
fi
grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec))' build-fuzz/fuzz.log
