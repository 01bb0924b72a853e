#!/usr/bin/env bash
# The release build and its tests; ctest's summary is the last line of the run.
set -euo pipefail
# Tests on, whatever scripts/run.sh left in the cache.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
ctest --test-dir build -j"$(nproc)" --output-on-failure
