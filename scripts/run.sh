#!/usr/bin/env bash
# Installs what the project needs, builds the viewer and opens it on a bundled sample picture
# (or on the picture named).  usage: scripts/run.sh [PICTURE]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh base viewer
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target dragndrop >/dev/null
exec build/src/shell/sdl/dragndrop "${1:-samples/dyuv-chart.imag}"
