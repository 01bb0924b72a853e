#!/usr/bin/env bash
# The Debian package: cpack makes it from the install rules, lintian finds no error in it, apt
# installs it with the libraries it asks for, every file a desktop looks for is where it looks,
# and the installed programs work from their installed paths: imag2png converts, and the
# thumbnailer, through the loader and MIME type the package registered, gives the same picture.
# The package is removed again at the end.
set -euo pipefail
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF >/dev/null
cmake --build build-package -j"$(nproc)" >/dev/null
rm -f build-package/pelmora_*.deb
(cd build-package && cpack -G DEB >cpack.log 2>&1) || { cat build-package/cpack.log; exit 1; }
deb=$(echo build-package/pelmora_*.deb)
lintian --fail-on error "$deb"

export DEBIAN_FRONTEND=noninteractive
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
work=$(mktemp -d)
trap '$sudo apt-get purge -y -qq pelmora >/dev/null; rm -rf "$work"' EXIT
$sudo apt-get install -y -qq "./$deb" >/dev/null

for file in /usr/bin/{dragndrop,imag2png,png2imag} \
    "$(pkg-config --variable=gdk_pixbuf_moduledir gdk-pixbuf-2.0)/libpixbufloader-cdi-imag.so" \
    /usr/share/icons/hicolor/{16x16,32x32,48x48,128x128,256x256}/apps/dragndrop.png \
    /usr/share/icons/hicolor/scalable/apps/dragndrop.svg /usr/share/applications/dragndrop.desktop \
    /usr/share/mime/packages/dragndrop-imag.xml /usr/share/thumbnailers/cdi-imag.thumbnailer \
    /usr/share/metainfo/org.pelmora.dragndrop.metainfo.xml \
    /usr/share/man/man1/{dragndrop,imag2png,png2imag}.1.gz; do
  [ -f "$file" ] || { echo "FAILED: the package does not install $file"; exit 1; }
done

picture=samples/accurate/clut8.imag
/usr/bin/imag2png --accurate "$picture" "$work/picture.png"
size=$(/usr/bin/identify -format '%[fx:max(w,h)]' "$work/picture.png")
/usr/bin/gdk-pixbuf-thumbnailer -s "$size" "$picture" "$work/thumbnail.png"
pixels() { /usr/bin/convert "$1" -alpha off -depth 8 rgb:- | md5sum; }
if [ "$(pixels "$work/picture.png")" != "$(pixels "$work/thumbnail.png")" ]; then
  echo "FAILED: the installed thumbnailer does not show the converter's picture"
  exit 1
fi
echo "package: ${deb##*/} installs everything in place; its converter and thumbnailer agree"
