#!/usr/bin/env bash
# converter_test.sh WINE_RUN IMAG2PNG PICTURE: the Windows converter writes PNG by default, through
# the Windows Imaging Component, with exactly the pixels of its PPM.
set -euo pipefail
run="$1" converter="$2" work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$3" "$work/picture.img"
win() { printf 'Z:%s' "${1//\//\\}"; }
"$run" "$converter" "$(win "$work/picture.img")"
"$run" "$converter" "$(win "$work/picture.img")" "$(win "$work/picture.ppm")"
/usr/bin/convert "$work/picture.img.png" -depth 8 "ppm:$work/from-png.ppm"
cmp "$work/picture.ppm" "$work/from-png.ppm" ||
  { echo "the PNG's pixels are not the PPM's" >&2; exit 1; }
