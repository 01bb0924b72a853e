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

# By content, whatever the name: NAME, what it holds (a sample, or "ilbm"), the type expected.
ilbm=$data/amiga-picture
printf 'FORM\0\0\0\x04ILBM' > "$ilbm"
while read -r name holds type; do
  [ "$holds" = ilbm ] && cp "$ilbm" "$data/$name" || cp "$source_dir/samples/accurate/$holds" "$data/$name"
  got=$(XDG_DATA_HOME=/nonexistent XDG_DATA_DIRS=$data:/usr/share \
        gio info -a standard::content-type "$data/$name" | sed -n 's/.*content-type: //p')
  [ "$got" = "$type" ] || failed "$name is $got, expected $type"
done <<'END'
picture.imag dyuv.imag image/x-cdi-imag
picture.iff dyuv.imag image/x-cdi-imag
no-extension clut8.imag image/x-cdi-imag
cat-picture cat-two-pictures.imag image/x-cdi-imag
amiga.iff ilbm image/x-ilbm
amiga-no-extension ilbm image/x-ilbm
END
exit $status
