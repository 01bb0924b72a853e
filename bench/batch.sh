#!/usr/bin/env bash
# Batch conversion against the converter of an earlier commit (today's: 0bea343), in one run on
# this machine, over a mix like real discs (bench/batch/makebatch.cpp): one third DYUV
# photographs, two thirds menu art (RL7, CLUT7 and CLUT8 menu screens of 100 to 128 colours with
# dithered gradients, CLUT4 icons, charts). For each kind and for the whole mix:
#   - pictures a second, the earlier converter with its default -j against this one with -j 1
#     and with its default -j; each kind is converted by itself, old and new alternated;
#   - processor time a picture, and PNG bytes at the default level;
#   - processor time of a one-picture conversion of a 384 x 280 RL7 menu, process start included.
# Before timing, a sample of outputs is decoded from both and compared pixel by pixel.
#
# Usage: bench/batch.sh [PICTURES] [ROUNDS] [BASELINE]   (defaults 600, 5 and 0bea343; the best
# round of each kind counts). On a shared machine wall times swing with the other load; the
# processor times swing less. Needs cmake, ninja, ImageMagick's convert and, for the one-picture
# time, perf.
set -euo pipefail

pictures=${1:-600}
rounds=${2:-5}
baseline=${3:-0bea343}
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
kinds=(photo rl7menu clutmenu icon chart)

build() {  # build SOURCE DIR TARGETS...
  local from=$1 to=$2
  shift 2
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$from" -B "$to" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF \
    -DPELMORA_VIEWER=OFF -DPELMORA_BENCH=ON "${launcher[@]}" >/dev/null
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

bytesOf() { find "$1" -type f -name "$2-*" -printf '%s\n' | awk '{ t += $1 } END { print t + 0 }'; }

# run OUT PROGRAM KIND ARGS...: converts one kind into a fresh folder; prints "seconds cpu-seconds".
run() {
  local out=$work/out-$1 program=$2 kind=$3
  shift 3
  rm -rf "$out" && mkdir "$out"
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$program" "$@" -o "$out" "$work"/in/"$kind"-*.img
  awk '{ print $1, $2 + $3 }' "$work/time"
}

echo "checking that the pixels are the same..."
mkdir "$work/out-all-old" "$work/out-all-new"
for kind in "${kinds[@]}"; do
  run old "$old" "$kind" >/dev/null
  run new "$new" "$kind" >/dev/null
  for png in $(ls "$work/out-old" | awk 'NR % 20 == 1'); do
    /usr/bin/convert "$work/out-old/$png" rgb:- >"$work/a.rgb"
    /usr/bin/convert "$work/out-new/$png" rgb:- >"$work/b.rgb"
    cmp -s "$work/a.rgb" "$work/b.rgb" || { echo "different pixels: $png" >&2; exit 1; }
  done
  cp "$work"/out-old/* "$work/out-all-old/"
  cp "$work"/out-new/* "$work/out-all-new/"
done

configs=(old new-j1 new)
declare -A best bestCpu
for round in $(seq "$rounds"); do
  for kind in "${kinds[@]}"; do
    for config in "${configs[@]}"; do
      case $config in
        old) result=$(run "$config" "$old" "$kind") ;;
        new-j1) result=$(run "$config" "$new" "$kind" -j 1) ;;
        new) result=$(run "$config" "$new" "$kind") ;;
      esac
      read -r seconds cpu <<<"$result"
      key=$kind/$config
      if [[ -z ${best[$key]:-} ]] || awk "BEGIN { exit !($seconds < ${best[$key]}) }"; then
        best[$key]=$seconds bestCpu[$key]=$cpu
      fi
    done
  done
done

count() { ls "$work"/in/ | grep -c "^$1-" || true; }
sum() { awk '{ t += $1 } END { printf "%.2f", t }'; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }
# line NAME KINDS...: one row of the table for the kinds together.
line() {
  local name=$1 n=0 oldBytes=0 newBytes=0 config
  shift
  declare -A wall cpu
  for config in "${configs[@]}"; do
    wall[$config]=$(for k in "$@"; do echo "${best[$k/$config]}"; done | sum)
    cpu[$config]=$(for k in "$@"; do echo "${bestCpu[$k/$config]}"; done | sum)
  done
  for k in "$@"; do
    n=$((n + $(count "$k")))
    oldBytes=$((oldBytes + $(bytesOf "$work/out-all-old" "$k")))
    newBytes=$((newBytes + $(bytesOf "$work/out-all-new" "$k")))
  done
  printf '  %-10s %5d %8s %8s %8s %6sx %6sx %7s %7s %9d %6s %%\n' "$name" "$n" \
    "$(ratio "$n" "${wall[old]}")" "$(ratio "$n" "${wall[new-j1]}")" "$(ratio "$n" "${wall[new]}")" \
    "$(ratio "${wall[old]}" "${wall[new-j1]}")" "$(ratio "${wall[old]}" "${wall[new]}")" \
    "$(ratio "${cpu[old]} * 1000" "$n")" "$(ratio "${cpu[new-j1]} * 1000" "$n")" \
    "$newBytes" "$(ratio "$newBytes * 100" "$oldBytes")"
}

echo
echo "$pictures pictures, $(nproc) processors, best of $rounds rounds; today is $baseline at its"
echo "default -j, new at -j 1 and at its default -j; processor ms a picture: today, new -j 1."
printf '  %-10s %5s %8s %8s %8s %7s %7s %7s %7s %9s %8s\n' kind count 'today/s' 'j1/s' 'new/s' \
  'j1' 'new' 'ms' 'ms j1' 'bytes' 'of today'
for kind in "${kinds[@]}"; do line "$kind" "$kind"; done
line "menu art" rl7menu clutmenu icon chart
line "whole mix" "${kinds[@]}"
echo "  targets: menu art 4x at the default -j, 3x with -j 1; bytes of the mix at most 105 %;"
echo "  photographs no slower and no larger."

if command -v perf >/dev/null; then
  one=$work/in/rl7menu-00001.img
  for program in old new; do
    binary=$old
    [[ $program == new ]] && binary=$new
    ms=$(perf stat -x, -e task-clock -r 100 "$binary" "$one" "$work/one.png" 2>&1 >/dev/null |
      awk -F, '/task-clock/ { printf "%.2f", $1 }')
    echo "one RL7 menu picture, $program: $ms ms of processor (target 2 ms)"
  done
fi
