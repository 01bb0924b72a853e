#!/usr/bin/env bash
# What the desktop reads: the desktop entry, the AppStream metadata and the manual pages are
# valid, and with the MIME description installed CD-i pictures are known by their content,
# whatever their name, while other IFF files keep their own type.
# usage: desktop_files_test.sh SOURCE_DIR MAN_PAGE...
set -euo pipefail
source_dir=$1
shift
status=0
failed() { echo "FAILED: $*"; status=1; }

desktop-file-validate "$source_dir/src/shell/sdl/dragndrop.desktop" || failed "desktop entry"
appstreamcli validate --no-net --no-color "$source_dir"/res/*.metainfo.xml >/dev/null ||
  failed "AppStream metadata: $(appstreamcli validate --no-net "$source_dir"/res/*.metainfo.xml)"
for page in "$@"; do
  warnings=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || failed "${page##*/}: $warnings"
done

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
mkdir -p "$data/mime/packages"
cp "$source_dir/src/shell/sdl/dragndrop-imag.xml" "$data/mime/packages/"
update-mime-database "$data/mime" 2>/dev/null

expect() {  # FILE TYPE
  local got
  got=$(XDG_DATA_HOME=/nonexistent XDG_DATA_DIRS=$data:/usr/share \
        gio info -a standard::content-type "$1" | sed -n 's/.*content-type: //p')
  [ "$got" = "$2" ] || failed "${1##*/} is $got, expected $2"
}
cp "$source_dir/samples/accurate/dyuv.imag" "$data/picture.imag"
cp "$source_dir/samples/accurate/dyuv.imag" "$data/picture.iff"
cp "$source_dir/samples/accurate/clut8.imag" "$data/no-extension"
cp "$source_dir/samples/accurate/cat-two-pictures.imag" "$data/cat-picture"
printf 'FORM\0\0\0\x04ILBM' > "$data/amiga.iff"
printf 'FORM\0\0\0\x04ILBM' > "$data/amiga-no-extension"
expect "$data/picture.imag" image/x-cdi-imag
expect "$data/picture.iff" image/x-cdi-imag
expect "$data/no-extension" image/x-cdi-imag
expect "$data/cat-picture" image/x-cdi-imag
expect "$data/amiga.iff" image/x-ilbm
expect "$data/amiga-no-extension" image/x-ilbm
exit $status
