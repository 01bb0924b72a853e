#!/usr/bin/env bash
# programs_under_wine.sh SCENARIO: runs the real Windows programs under Wine. The viewer
# (dragndrop.exe) runs on the test run's virtual display; its caption and the pixels it put on
# the screen are checked. Expected pictures come from the converter, which shows each file as
# the viewer must.
# Environment (set by ctest): WINE_RUN, VIEWER, PROBE, SAMPLES, IMAG2PNG, WINE_STATE, XDND_DRAG,
# BUNDLED_SAMPLES.
set -euo pipefail
scenario="$1"
title="Pelmora 'DragnDrop' viewer"

work="$(mktemp -d)"
viewer_pid=""
finish() {
  if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then
    "$WINE_RUN" "$PROBE" close >/dev/null 2>&1 || true
    sleep 1
    kill "$viewer_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT

fail() {
  echo "FAIL ($scenario): $*" >&2
  exit 1
}

# The Windows name of a file here: Wine shows the root of the file system as drive Z:.
winpath() {
  local path="${1//\//\\}"
  printf 'Z:%s' "$path"
}

probe() { "$WINE_RUN" "$PROBE" "$@"; }

start_viewer() {
  "$WINE_RUN" "$VIEWER" "$@" </dev/null >"$work/viewer.log" 2>&1 &
  viewer_pid=$!
}

# Closes the window and checks that the program ended with status 0.
close_viewer() {
  probe close || fail "cannot close the window"
  local status=0
  wait "$viewer_pid" || status=$?
  viewer_pid=""
  [ "$status" -eq 0 ] || fail "the viewer exited with status $status"
}

expect_caption() {
  probe wait-caption "$1" || fail "caption is not \"$1\""
}

# The block at (X, Y) of size W x H on the screen, as a PPM file at $work/NAME.ppm.
capture() {
  local name="$1"
  shift
  probe capture "$(winpath "$work/$name.ppm")" "$@" || fail "cannot capture $*"
}

# A PPM of one colour, for comparisons: solid NAME W H BYTE (grey 128 is \200, black \000).
solid() {
  {
    printf 'P6\n%d %d\n255\n' "$2" "$3"
    head -c $(($2 * $3 * 3)) /dev/zero | tr '\0' "$4"
  } >"$work/$1.ppm"
}

same() {
  cmp -s "$work/$1.ppm" "$work/$2.ppm" || fail "$3"
}

# The top-left W x H of a 384 x 280 PPM: crop NAME W H OUT.
crop() {
  local header=15 y  # "P6\n384 280\n255\n"
  {
    printf 'P6\n%d %d\n255\n' "$2" "$3"
    for ((y = 0; y < $3; y++)); do
      dd if="$work/$1.ppm" iflag=skip_bytes,count_bytes skip=$((header + y * 1152)) \
        count=$(($2 * 3)) status=none
    done
  } >"$work/$4.ppm"
}

# What the converter writes for a sample: the 384 x 280 frame.
converted() {
  "$WINE_RUN" "$IMAG2PNG" "$(winpath "$work/$1")" "$(winpath "$work/$2.ppm")" ||
    fail "the converter refused $1"
}

# Drops files on the window as a file manager does: an XDND drag from the X side, which Wine
# turns into WM_DROPFILES.
drop() {
  local caption window
  caption="$(probe caption)"
  window="$(xwininfo -display ":$(cat "$WINE_STATE/display")" -name "$caption" |
    awk '/Window id:/ { print $4 }')"
  [ -n "$window" ] || fail "no X window named \"$caption\""
  "$XDND_DRAG" --display ":$(cat "$WINE_STATE/display")" --window "$window" "$@" ||
    fail "the drop of $* did not go through"
}

# The caption must become CAPTION, and the frame then be the picture NAME: expect_shown CAPTION
# NAME MESSAGE. (Each scenario starts from another caption, so the wait cannot end early.)
expect_shown() {
  expect_caption "$1"
  capture shown 0 0 384 280
  same shown "$2" "$3"
}

# The frame at the top-left must be `expected`; grey beyond it once the window is larger.
expect_frame_then_grey_beyond() {
  capture shown 0 0 384 280
  same shown "$1" "the window does not show the frame of $1"
  probe resize 520 420 || fail "cannot resize"
  read -r width height < <(probe client)
  ((width > 384 && height > 280)) || fail "window did not grow: $width x $height"
  capture after_resize 0 0 384 280
  same after_resize "$1" "the frame changed after a resize"
  capture right 384 0 $((width - 384)) "$height"
  solid grey_right $((width - 384)) "$height" '\200'
  same right grey_right "right of the frame is not grey (128, 128, 128)"
  capture below 0 280 384 $((height - 280))
  solid grey_below 384 $((height - 280)) '\200'
  same below grey_below "below the frame is not grey (128, 128, 128)"
}

"$WINE_RUN" "$SAMPLES" --windows "$(winpath "$work")" || fail "cannot write the samples"

case "$scenario" in
  viewer_command_line | viewer_dyuv)
    # A file named on the command line: its picture, exactly as the converter shows it.
    sample=full.img
    [ "$scenario" = viewer_dyuv ] && sample=dyuv.img  # needs the viewer's artefact threshold
    converted "$sample" expected
    start_viewer "$(winpath "$work/$sample")"
    expect_caption "$(winpath "$work/$sample")"
    expect_frame_then_grey_beyond expected
    # Made smaller than the frame, the window shows the frame's top-left part.
    probe resize 250 200 || fail "cannot resize"
    read -r width height < <(probe client)
    ((width < 384 && height < 280)) || fail "window did not shrink: $width x $height"
    capture small_window 0 0 "$width" "$height"
    crop expected "$width" "$height" top_left
    same small_window top_left "a small window does not show the frame's top-left part"
    close_viewer
    ;;
  viewer_bundled_samples)
    # Every bundled sample, one of each model, shows as the converter writes it.
    for sample in "$BUNDLED_SAMPLES"/*.imag; do
      name="$(basename "$sample" .imag)"
      cp "$sample" "$work/$name.img"
      converted "$name.img" "$name"
      start_viewer "$(winpath "$work/$name.img")"
      expect_shown "$(winpath "$work/$name.img")" "$name" "$name.img is not shown as converted"
      close_viewer
    done
    ;;
  viewer_refused)
    # Another IFF type: the frame is cleared, so black, and the caption is the title.
    start_viewer "$(winpath "$work/ilbm.img")"
    sleep 1  # the caption is the title from the start: give a wrong one time to appear
    expect_caption "$title"
    solid black 384 280 '\000'
    expect_frame_then_grey_beyond black
    close_viewer
    ;;
  viewer_no_file)
    # Nothing to decode: no frame buffer, so only the grey background; a missing file likewise.
    for args in "" "$(winpath "$work/missing.img")"; do
      if [ -z "$args" ]; then start_viewer; else start_viewer "$args"; fi
      sleep 1
      expect_caption "$title"
      capture shown 0 0 384 280
      solid grey 384 280 '\200'
      same shown grey "no frame yet, but the window is not all grey"
      close_viewer
    done
    ;;
  viewer_quoted_path)
    # A path with a blank. As one argument Wine hands it over in double quotes, which go while
    # the blank stays; as two, the command line holds it bare, and the whole text is the path.
    cp "$work/full.img" "$work/two words.img"
    converted "two words.img" expected
    for split in no yes; do
      if [ "$split" = no ]; then
        start_viewer "$(winpath "$work/two words.img")"
      else
        start_viewer "$(winpath "$work/two")" words.img
      fi
      expect_caption "$(winpath "$work/two words.img")"
      capture shown 0 0 384 280
      same shown expected "the file with a blank in its name was not shown"
      close_viewer
    done
    ;;
  viewer_long_path)
    # A path longer than 255 bytes (Windows opens up to 259) is kept whole, not cut short.
    name="$(winpath "$work/")"
    folder="$(printf 'd%.0s' $(seq $((258 - ${#name} - 9))))"
    mkdir "$work/$folder"
    cp "$work/full.img" "$work/$folder/long.img"
    long="$(winpath "$work/$folder/long.img")"
    [ "${#long}" -eq 258 ] || fail "test path is ${#long} bytes long, not 258"
    converted full.img expected
    start_viewer "$long"
    expect_caption "$long"
    capture shown 0 0 384 280
    same shown expected "the file with the long path was not shown"
    close_viewer
    ;;
  viewer_drop)
    # A dropped file replaces the picture and names the window.
    converted small.img small
    start_viewer "$(winpath "$work/full.img")"
    expect_caption "$(winpath "$work/full.img")"
    drop "$work/small.img"
    expect_shown "$(winpath "$work/small.img")" small "the dropped file is not shown"
    close_viewer
    ;;
  viewer_drop_several)
    # Of several files dropped at once, only the first is decoded.
    converted small.img small
    start_viewer
    expect_caption "$title"
    drop "$work/small.img" "$work/full.img"
    expect_shown "$(winpath "$work/small.img")" small "the first dropped file is not shown"
    close_viewer
    ;;
  viewer_drop_refused)
    # A file of another type: the title, and a black frame.
    start_viewer "$(winpath "$work/full.img")"
    expect_caption "$(winpath "$work/full.img")"
    drop "$work/ilbm.img"
    solid black 384 280 '\000'
    expect_shown "$title" black "a refused file does not leave a black frame"
    close_viewer
    ;;
  viewer_drop_missing)
    # A file that cannot be opened: the title, and the previous picture stays.
    converted full.img expected
    start_viewer "$(winpath "$work/full.img")"
    expect_caption "$(winpath "$work/full.img")"
    drop "$work/missing.img"
    expect_shown "$title" expected "a file that cannot be opened changed the picture"
    close_viewer
    ;;
  viewer_drop_long_path)
    # A dropped path longer than 255 bytes is read whole, however long.
    name="$(winpath "$work/")"
    folder="$(printf 'd%.0s' $(seq $((258 - ${#name} - 9))))"
    mkdir "$work/$folder"
    cp "$work/small.img" "$work/$folder/long.img"
    converted small.img small
    start_viewer "$(winpath "$work/full.img")"
    expect_caption "$(winpath "$work/full.img")"
    drop "$work/$folder/long.img"
    expect_shown "$(winpath "$work/$folder/long.img")" small "the file with the long path is not shown"
    close_viewer
    ;;
  viewer_other_command)
    # WM_COMMAND with any identifier but 1234 does nothing and returns 0.
    converted full.img expected
    start_viewer "$(winpath "$work/full.img")"
    expect_caption "$(winpath "$work/full.img")"
    for id in 0 1 1233 1235 0x104D2 0x100004D2; do
      [ "$(probe command "$id")" = 0 ] || fail "WM_COMMAND $id did not return 0"
      [ "$(probe caption)" = "$(winpath "$work/full.img")" ] || fail "WM_COMMAND $id changed the caption"
    done
    capture shown 0 0 384 280
    same shown expected "another command changed the picture"
    close_viewer
    ;;
  viewer_accurate)
    # Tab switches to the accurate profile and back; a drop shows the classic one again. A
    # smaller accurate picture has grey around it, not what the classic frame left there.
    converted dyuv.img dyuv
    converted small.img small
    "$WINE_RUN" "$IMAG2PNG" --accurate "$(winpath "$work/dyuv.img")" "$(winpath "$work/dyuv_accurate.ppm")"
    "$WINE_RUN" "$IMAG2PNG" --accurate "$(winpath "$work/small.img")" "$(winpath "$work/small_accurate.ppm")"
    ! cmp -s "$work/dyuv.ppm" "$work/dyuv_accurate.ppm" || fail "the profiles agree on dyuv.img"
    start_viewer "$(winpath "$work/dyuv.img")"
    expect_shown "$(winpath "$work/dyuv.img")" dyuv "the classic profile does not show first"
    probe tab
    expect_shown "$(winpath "$work/dyuv.img") [accurate]" dyuv_accurate "Tab does not show the accurate picture"
    probe tab
    expect_shown "$(winpath "$work/dyuv.img")" dyuv "Tab again does not show the classic picture"
    probe tab
    expect_caption "$(winpath "$work/dyuv.img") [accurate]"
    drop "$work/small.img"
    expect_shown "$(winpath "$work/small.img")" small "a drop does not show the classic profile"
    probe tab
    expect_caption "$(winpath "$work/small.img") [accurate]"
    capture shown 0 0 100 50
    same shown small_accurate "the small accurate picture is not shown at its own size"
    capture right 100 0 284 280
    solid grey_right 284 280 '\200'
    same right grey_right "right of the small accurate picture is not grey"
    capture below 0 50 100 230
    solid grey_below 100 230 '\200'
    same below grey_below "below the small accurate picture is not grey"
    close_viewer
    ;;
  viewer_window)
    # The window as registered and created: caption, system menu, sizing frame, minimise box
    # and no maximise box; accepts dropped files; class style 0x1003; 392 x 308 outside; the
    # program carries its icon.
    start_viewer
    expect_caption "$title"
    read -r style exstyle classstyle outer_width outer_height < <(probe window)
    (((style & 0xCF0000) == 0xCE0000)) || fail "window style $style"
    ((exstyle & 0x10)) || fail "extended style $exstyle does not accept dropped files"
    ((classstyle == 0x1003)) || fail "class style $classstyle"
    ((outer_width == 392 && outer_height == 308)) || fail "outer size $outer_width x $outer_height"
    probe icon "$(winpath "$VIEWER")" || fail "no icon resource ICON_1 in the program"
    close_viewer
    ;;
  converter_ppm_only)
    # The Windows converter has no PNG library: PPM by default, and a clear refusal of PNG.
    "$WINE_RUN" "$IMAG2PNG" "$(winpath "$work/full.img")" || fail "the converter failed"
    [ -s "$work/full.img.ppm" ] || fail "no full.img.ppm written by default"
    status=0
    "$WINE_RUN" "$IMAG2PNG" "$(winpath "$work/full.img")" "$(winpath "$work/full.png")" \
      2>"$work/error.txt" || status=$?
    [ "$status" -eq 1 ] || fail "asked for PNG, the converter exited with $status"
    grep -q "PPM only" "$work/error.txt" || fail "no clear message: $(cat "$work/error.txt")"
    [ ! -e "$work/full.png" ] || fail "a PNG file was written"
    ;;
  *)
    fail "no such scenario"
    ;;
esac
echo "ok: $scenario"
