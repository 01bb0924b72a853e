#!/usr/bin/env bash
# The Windows programs (dragndrop.exe, imag2png.exe), cross-built with mingw-w64 into
# build-windows, and their tests: the unit tests and the real viewer, under Wine on Xvfb.
set -euo pipefail
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
ctest --preset windows
