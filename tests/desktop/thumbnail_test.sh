#!/usr/bin/env bash
# gdk-pixbuf-thumbnailer, as file managers run it, with the loader and the MIME type installed
# privately: the thumbnail of a picture that fits the thumbnail size holds exactly the
# converter's pixels (imag2png --accurate), and a damaged file fails with the decoder's reason.
# (The thumbnailer enlarges smaller pictures to the size asked for, so the size asked for is
# the picture's larger side.)
# usage: thumbnail_test.sh LOADER IMAG2PNG SOURCE_DIR
set -euo pipefail
loader=$1 imag2png=$2 source_dir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# gdk-pixbuf tells a file's type by its MIME type, so the type must be known too.
mkdir -p "$work/mime/packages"
cp "$source_dir/src/shell/sdl/dragndrop-imag.xml" "$work/mime/packages/"
update-mime-database "$work/mime" 2>/dev/null
export XDG_DATA_HOME=/nonexistent XDG_DATA_DIRS=$work:/usr/share
"$(pkg-config --variable=gdk_pixbuf_query_loaders gdk-pixbuf-2.0)" "$loader" > "$work/loaders.cache"
export GDK_PIXBUF_MODULE_FILE=$work/loaders.cache

status=0
failed() { echo "FAILED: $*"; status=1; }
pixels() { /usr/bin/convert "$1" -alpha off -depth 8 -format '%wx%h ' -write info:- rgb:- | md5sum; }
for picture in "$source_dir"/samples/accurate/*.imag; do
  name=${picture##*/}
  "$imag2png" --accurate "$picture" "$work/$name.png"
  fits=$(/usr/bin/identify -format '%[fx:max(w,h)]' "$work/$name.png")
  gdk-pixbuf-thumbnailer -s "$fits" "$picture" "$work/$name.fits.png"
  expected=$(pixels "$work/$name.png")  # a failing convert ends the test here
  [ "$(pixels "$work/$name.fits.png")" = "$expected" ] ||
    failed "the thumbnail of $name is not its picture (size or pixels)"
done

# A picture header with no picture: refused, with the reason, and no thumbnail.
printf 'FORM\0\0\0\x04IMAG' > "$work/empty.imag"
if gdk-pixbuf-thumbnailer -s 256 "$work/empty.imag" "$work/empty.png" 2>"$work/error"; then
  failed "a file with no picture gave a thumbnail"
elif ! grep -q 'no picture in the file' "$work/error"; then
  failed "the thumbnailer did not give the decoder's reason: $(cat "$work/error")"
fi
exit $status
