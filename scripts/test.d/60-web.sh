#!/usr/bin/env bash
# The viewer in the browser: the site built with emscripten into build-web, then the viewer
# scenarios against it in chromium, the pictures checked against the native converter's; and the
# single-file page opened from the disk, with what differs there (drops, the worker; chromium
# lets such a page read no folders).
set -euo pipefail
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)" --target imag2png >/dev/null
scenarios=(/usr/bin/python3 tests/viewer/scenarios.py --shell web --site build-web/site
           --imag2png build/src/tools/imag2png --samples samples)
"${scenarios[@]}"
"${scenarios[@]}" --from-disk drops scan_lists_the_pictures_in_a_dump save_never_overwrites
