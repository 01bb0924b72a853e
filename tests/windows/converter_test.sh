#!/usr/bin/env bash
# converter_test.sh WINE_RUN IMAG2PNG PICTURE: the Windows converter writes PPM by default and
# refuses PNG, which it cannot write, with a reason and without leaving a file.
set -euo pipefail
run="$1" converter="$2" work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$3" "$work/picture.img"
win() { printf 'Z:%s' "${1//\//\\}"; }
"$run" "$converter" "$(win "$work/picture.img")"
[ -s "$work/picture.img.ppm" ] || { echo "no picture.img.ppm written by default" >&2; exit 1; }
status=0
"$run" "$converter" "$(win "$work/picture.img")" "$(win "$work/out.png")" 2>"$work/said" || status=$?
[ "$status" -eq 1 ] && grep -q "PPM only" "$work/said" && [ ! -e "$work/out.png" ] ||
  { echo "asked for PNG: exit $status, said: $(cat "$work/said")" >&2; exit 1; }
