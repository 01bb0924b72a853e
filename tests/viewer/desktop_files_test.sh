#!/usr/bin/env bash
# The desktop entry is valid, and with the MIME description installed CD-i pictures are known by
# their content, whatever their name, while other files are not taken for them.
# usage: desktop_files_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
shell_dir=$source_dir/src/shell/sdl

desktop-file-validate "$shell_dir/dragndrop.desktop"

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
mkdir -p "$data/mime/packages"
cp "$shell_dir/dragndrop-imag.xml" "$data/mime/packages/"
update-mime-database "$data/mime" 2>/dev/null

content_type() { XDG_DATA_HOME=$data XDG_DATA_DIRS=/usr/share gio info -a standard::content-type "$1" | sed -n 's/.*content-type: //p'; }

status=0
expect() {  # FILE TYPE
  local got
  got=$(content_type "$1")
  if [ "$got" != "$2" ]; then
    echo "FAILED: ${1##*/} is $got, expected $2"
    status=1
  fi
}
cp "$source_dir/samples/dyuv-chart.imag" "$data/form-picture"
expect "$data/form-picture" image/x-cdi-imag
# A CAT container: "CAT ", its length, "IMAG", then its first item.
{ printf 'CAT \0\0\0\x14IMAG'; tail -c +1 "$source_dir/samples/rl3-bars.imag"; } > "$data/cat-picture"
expect "$data/cat-picture" image/x-cdi-imag
cp "$source_dir/samples/clut4-chart.imag" "$data/named.imag"
expect "$data/named.imag" image/x-cdi-imag
printf 'FORM\0\0\0\x04ILBM' > "$data/other-form"
if [ "$(content_type "$data/other-form")" = image/x-cdi-imag ]; then
  echo "FAILED: a FORM of another type is taken for a CD-i picture"
  status=1
fi
exit $status
