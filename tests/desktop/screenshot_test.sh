#!/usr/bin/env bash
# The README's screenshot (docs/screenshot.png) is what the viewer shows today: dragndrop on a
# private X server with a bundled sample, its window captured and compared pixel by pixel.
# PELMORA_UPDATE_SCREENSHOT=1 writes the capture over the committed one instead.
# usage: screenshot_test.sh DRAGNDROP SOURCE_DIR     (exit 77: no Xvfb, skipped)
set -euo pipefail
dragndrop=$1 source_dir=$2
command -v Xvfb >/dev/null || exit 77
committed=$source_dir/docs/screenshot.png
samples=("$source_dir"/samples/dyuv-chart.*)  # whatever the samples' extension
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
"$dragndrop" "${samples[0]}" 2>"$work/stderr" &
pids+=($!)
# The caption becomes the path once the picture is shown.
window=$(timeout 10 xdotool search --sync --name "dyuv-chart" | head -n 1) ||
  { echo "FAILED: no viewer window: $(cat "$work/stderr")"; exit 1; }

capture() { import -silent -window "$window" -depth 8 "$work/screenshot.png"; }
if [ "${PELMORA_UPDATE_SCREENSHOT:-}" = 1 ]; then
  sleep 1
  capture
  /usr/bin/convert "$work/screenshot.png" -strip "$committed"
  echo "wrote $committed"
  exit 0
fi
for _ in $(seq 20); do  # the first paints may still be on their way
  capture
  difference=$(compare -metric AE "$work/screenshot.png" "$committed" null: 2>&1) || true
  [ "$difference" = 0 ] && exit 0
  sleep 0.25
done
echo "FAILED: the viewer no longer looks like docs/screenshot.png ($difference pixels differ);"
echo "run PELMORA_UPDATE_SCREENSHOT=1 ctest -R readme_screenshot to take it again"
exit 1
