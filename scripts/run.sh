#!/usr/bin/env bash
# Installs what the project needs, builds it, and shows a bundled sample picture.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
sample=$(ls samples/*.img 2>/dev/null | head -n 1 || true)
if [ -x build/src/shell/sdl/dragndrop ] && [ -n "$sample" ]; then
  exec build/src/shell/sdl/dragndrop "$sample"
fi
echo "The viewer is not built yet; converting instead."
build/src/tools/imag2png "${sample:-/dev/null}" /tmp/pelmora-sample.png && echo "wrote /tmp/pelmora-sample.png"
