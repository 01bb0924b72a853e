#!/usr/bin/env bash
# Batch conversion against the converter as it was before parallel batches and indexed PNG
# (commit 6dc9bc5), in one run on this machine:
#   - pictures a second over a mixed batch (DYUV photographs, charts in every model), with -j on
#     every processor and with -j 1;
#   - total PNG bytes at the default level, and at --level 9;
#   - processor time of a one-picture conversion, process start included.
# Before timing, a sample of outputs is decoded from both and compared pixel by pixel.
#
# Usage: bench/batch.sh [PICTURES] [ROUNDS]   (defaults 1000 and 5; the best round counts)
# On a shared machine wall times swing with the other load; the processor times swing less.
# Needs cmake, ninja, ImageMagick's convert and, for the one-picture time, perf.
set -euo pipefail

pictures=${1:-1000}
rounds=${2:-5}
source=$(cd "$(dirname "$0")/.." && pwd)
baseline=6dc9bc5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build() {  # build SOURCE DIR TARGETS...
  local from=$1 to=$2
  shift 2
  cmake -S "$from" -B "$to" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF \
    -DPELMORA_VIEWER=OFF -DPELMORA_BENCH=ON -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
  cmake --build "$to" -j2 --target "$@" >/dev/null
}

echo "building $baseline and the working tree..."
mkdir "$work/old-source"
git -C "$source" archive "$baseline" | tar -x -C "$work/old-source"
build "$work/old-source" "$work/old" imag2png
build "$source" "$work/new" imag2png makebatch
old=$work/old/src/tools/imag2png
new=$work/new/src/tools/imag2png

echo "making $pictures pictures..."
mkdir "$work/in"
"$work/new/bench/batch/makebatch" "$work/in" "$pictures"

bytesIn() { find "$1" -type f -printf '%s\n' | awk '{ total += $1 } END { print total }'; }

# run NAME PROGRAM ARGS...: converts the batch into a fresh folder; prints "seconds cpu-seconds".
run() {
  local out=$work/out-$1
  shift
  rm -rf "$out" && mkdir "$out"
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" -o "$out" "$work"/in/*.img
  awk '{ print $1, $2 + $3 }' "$work/time"
}

run old "$old" >/dev/null
run new "$new" >/dev/null
echo "checking that the pixels are the same..."
for png in $(ls "$work/out-old" | awk 'NR % 50 == 1'); do
  /usr/bin/convert "$work/out-old/$png" rgb:- >"$work/a.rgb"
  /usr/bin/convert "$work/out-new/$png" rgb:- >"$work/b.rgb"
  cmp -s "$work/a.rgb" "$work/b.rgb" || { echo "different pixels: $png" >&2; exit 1; }
done
oldBytes=$(bytesIn "$work/out-old")
newBytes=$(bytesIn "$work/out-new")

declare -A best bestCpu
for round in $(seq "$rounds"); do
  for config in old new-j1 new-j; do
    case $config in
      old) result=$(run "$config" "$old") ;;
      new-j1) result=$(run "$config" "$new" -j 1) ;;
      new-j) result=$(run "$config" "$new") ;;
    esac
    read -r seconds cpu <<<"$result"
    if [[ -z ${best[$config]:-} ]] || awk "BEGIN { exit !($seconds < ${best[$config]}) }"; then
      best[$config]=$seconds bestCpu[$config]=$cpu
    fi
  done
done

run level9 "$new" --level 9 >/dev/null
level9Bytes=$(bytesIn "$work/out-level9")

rate() { awk "BEGIN { printf \"%.0f\", $pictures / $1 }"; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }
echo
echo "$pictures pictures, $(nproc) processors, best of $rounds rounds (wall s, processor s):"
printf '  %-22s %7s s %7s s  %6s pictures/s\n' \
  "today ($baseline)" "${best[old]}" "${bestCpu[old]}" "$(rate "${best[old]}")" \
  "new, -j 1" "${best[new-j1]}" "${bestCpu[new-j1]}" "$(rate "${best[new-j1]}")" \
  "new, -j $(nproc)" "${best[new-j]}" "${bestCpu[new-j]}" "$(rate "${best[new-j]}")"
echo "  speed-up: -j $(nproc) $(ratio "${best[old]}" "${best[new-j]}")x (target 6x)," \
  "-j 1 $(ratio "${best[old]}" "${best[new-j1]}")x (target 3x)"
echo "  processor time: $(ratio "${bestCpu[old]}" "${bestCpu[new-j1]}")x less with -j 1"
echo "PNG bytes: today $oldBytes, new $newBytes ($(ratio "$newBytes * 100" "$oldBytes") %," \
  "target 60 %), --level 9 $level9Bytes ($(ratio "$level9Bytes * 100" "$oldBytes") %)"

if command -v perf >/dev/null; then
  one=$(echo "$source"/samples/dyuv-chart.*)
  for program in old new; do
    binary=$old
    [[ $program == new ]] && binary=$new
    ms=$(perf stat -x, -e task-clock -r 100 "$binary" "$one" "$work/one.png" 2>&1 >/dev/null |
      awk -F, '/task-clock/ { printf "%.2f", $1 }')
    echo "one picture ($(basename "$one")), $program: $ms ms of processor (target 3 ms)"
  done
fi
