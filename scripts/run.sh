#!/usr/bin/env bash
# Installs what building and running the viewer needs, builds every program and file that
# `cmake --install build` installs, and opens the viewer on a bundled sample picture, or on the
# picture named (a relative path is taken from the caller's folder).
# usage: scripts/run.sh [PICTURE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" build
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)" >/dev/null
if (($# == 0)); then
  samples=("$root"/samples/dyuv-chart.*)
  set -- "${samples[0]}"
fi
exec "$root/build/src/shell/sdl/dragndrop" "$1"
