#!/usr/bin/env bash
# `cmake --install` puts the programs, the gdk-pixbuf loader, the icons, the desktop entry, the
# MIME description, the thumbnailer entry, the metadata and the manual pages where a desktop
# finds them.
set -euo pipefail
cmake -S . -B build-install -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF >/dev/null
cmake --build build-install -j"$(nproc)" >/dev/null
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build-install --prefix "$prefix" >/dev/null
loaders=$(pkg-config --variable=gdk_pixbuf_moduledir gdk-pixbuf-2.0)
missing=0
for file in bin/dragndrop bin/imag2png bin/png2imag "${loaders#/usr/}/libpixbufloader-cdi-imag.so" \
    share/icons/hicolor/{16x16,32x32,48x48,128x128,256x256}/apps/dragndrop.png \
    share/icons/hicolor/scalable/apps/dragndrop.svg share/applications/dragndrop.desktop \
    share/mime/packages/dragndrop-imag.xml share/thumbnailers/cdi-imag.thumbnailer \
    share/metainfo/org.pelmora.dragndrop.metainfo.xml \
    share/man/man1/dragndrop.1.gz share/man/man1/imag2png.1.gz share/man/man1/png2imag.1.gz; do
  [ -f "$prefix/$file" ] || { echo "not installed: $file"; missing=1; }
done
[ "$missing" -eq 0 ] && echo "install: everything in place"
exit "$missing"
