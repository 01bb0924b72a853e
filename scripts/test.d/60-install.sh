#!/usr/bin/env bash
# `cmake --install` puts the programs, the icon, the desktop entry and the MIME description
# where a desktop finds them.
set -euo pipefail
cmake -S . -B build-install -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF >/dev/null
cmake --build build-install -j"$(nproc)" >/dev/null
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build-install --prefix "$prefix" >/dev/null
missing=0
for file in bin/dragndrop bin/imag2png bin/png2imag share/icons/hicolor/48x48/apps/dragndrop.png \
    share/applications/dragndrop.desktop share/mime/packages/dragndrop-imag.xml; do
  [ -f "$prefix/$file" ] || { echo "not installed: $file"; missing=1; }
done
[ "$missing" -eq 0 ] && echo "install: everything in place"
exit "$missing"
