#!/usr/bin/env bash
# Fuzzes for under three minutes with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer: the in-memory decode (from the committed seeds and past findings),
# the SSSE3 row decoders against the portable ones, the accurate profile and the picture
# finder. Any crash, sanitizer report or broken check fails the step; the input that caused it
# is left in build-fuzz/findings/, to be added to tests/fuzz/regressions/ (or the rows or
# accurate corpus).
set -euo pipefail
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELMORA_FUZZ=ON -DPELMORA_VIEWER=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_decode fuzz_rows fuzz_accurate fuzz_scan \
  >/dev/null
rm -rf build-fuzz/corpus build-fuzz/findings
mkdir -p build-fuzz/corpus/{decode,rows,accurate,scan} build-fuzz/findings
cp tests/fuzz/corpus/* tests/fuzz/regressions/* build-fuzz/corpus/decode/
cp tests/fuzz/rows-corpus/* build-fuzz/corpus/rows/
cp tests/fuzz/corpus/* tests/fuzz/regressions/* tests/fuzz/accurate-corpus/* build-fuzz/corpus/accurate/
cp build-fuzz/corpus/accurate/* tests/fuzz/scan-corpus/* build-fuzz/corpus/scan/

fuzz() {  # target seconds max_len
  local log=build-fuzz/$1.log
  if ! "build-fuzz/tests/fuzz/$1" -dict=tests/fuzz/imag.dict -max_len="$3" \
    -max_total_time="$2" -timeout=10 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/findings/ "build-fuzz/corpus/${1#fuzz_}" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$1 found a fault; the input is in build-fuzz/findings/" >&2
    exit 1
  fi
  echo "$1: $(grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$log" | tr '\n' ' ')"
}
fuzz fuzz_decode 90 2048
fuzz fuzz_rows 20 1100
fuzz fuzz_accurate 40 20000
fuzz fuzz_scan 20 20000
