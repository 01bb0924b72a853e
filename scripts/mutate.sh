#!/usr/bin/env bash
# mutate.sh [PATTERN]: a mutation check of the fast tests over the hand list of faults below.
# mutate.sh --random N [--seed S] [PATH…]: the same over N single-line faults drawn at random
# (scripts/mutants.py) over the C++ sources under the PATHs, by default src/ less the
# window-system shells. The same seed over the same code draws the same faults (default seed 1).
# mutate.sh --faults FILE: the same over the faults FILE lists, one "FILE:LINE @@ CODE @@ FAULTY"
# a line, or as a run reports its survivors ("  survivor: FILE:LINE: CODE -> FAULTY").
# --who, with any of these: every program that could notice runs to its end, and each killed
# fault is followed by the tests that failed (PROGRAM:TEST, or PROGRAM:rcN for a crash). A test
# whose every fault fails another test too adds nothing to the kill rate.
#
# Each fault goes, one at a time, into a copy of the working tree (the tree itself is never
# touched, so an interrupted run leaves it as it was), the copy is rebuilt incrementally, and the
# fast test programs whose binary, or a tool they run, changed are run, each under a timeout. A
# fault is killed when one of them fails, crashes or hangs; stillborn when it does not build;
# the same machine code when no binary changed (equivalent by construction); listed when
# scripts/mutants-equivalent.txt names it equivalent (not run). The kill rate is taken over the
# killed and the survivors. MUTATE_WORK=DIR keeps the copy and its build in DIR between runs, so
# that the next run rebuilds only what changed. A developer tool, not part of CI: it runs
# niced, and takes about ten seconds a fault on two cores.
#
# Each hand-listed fault is "FILE @@ CODE @@ FAULTY CODE": the first occurrence of CODE (literal
# text; \n is a line break) in FILE becomes FAULTY CODE. Anchor a fault on code that says what it
# does, so that refactors keep it; a fault whose code is gone is reported as no longer applying,
# not as a failure. A drawn fault is "FILE:LINE @@ CODE @@ FAULTY CODE", CODE being the whole line.
set -uo pipefail
faults() {
  cat <<'EOF'
src/decode/chunkwalk.cpp @@ chunk->length >> 24 == 0 @@ chunk->length >> 25 == 0
src/decode/chunkwalk.cpp @@ kPlteSkippedBytes = 4; @@ kPlteSkippedBytes = 3;
src/decode/chunkwalk.cpp @@ header.bpr = byteswapsp(body + 2); @@ header.bpr = byteswapsp(body + 0);
src/decode/chunkwalk.cpp @@ header.h = byteswapsp(body + 4); @@ header.h = byteswapsp(body + 2);
src/decode/chunkwalk.cpp @@ header.ystrt = body[11]; @@ header.ystrt = body[10];
src/decode/chunkwalk.cpp @@ header.vstrt = body[13]; @@ header.vstrt = body[12];
src/decode/chunkwalk.cpp @@ case 6: @@ case 7:
src/decode/chunkwalk.cpp @@ state.cdiplte.fill(0); @@ (void)0;
src/decode/container.cpp @@ 2 * kContainerHeaderBytes @@ kContainerHeaderBytes + 8
src/decode/container.cpp @@ "CAT ", 4 @@ "CAT", 3
src/decode/byteview.h @@ n <= size() - pos; @@ n <= size() - pos + 1;
src/decode/byteview.h @@ ? size() - pos : 0; @@ ? size() - pos + 1 : 0;
src/decode/decode.cpp @@ std::memset(frame.data(), 0, kShownBytes); @@ (void)0;
src/decode/decode.cpp @@ bytes.size() < kContainerHeaderBytes @@ bytes.size() <= kContainerHeaderBytes
src/decode/framewriter.h @@ end = std::min(end, kShown); @@ end = std::min(end, kBlock);
src/decode/framewriter.h @@ (written - 1) / kFrameWidth @@ written / kFrameWidth
src/decode/framewriter.h @@ (kBlock - todyuvmem) / 3 : 0 @@ (kBlock - todyuvmem) / 3 + 1 : 0
src/decode/framewriter.h @@ if (written > 0) { @@ if (written > 1) {
src/decode/framewriter.h @@ todyuvmem + 3 * written); @@ todyuvmem + 3 * written - 3);
src/decode/framewriter.h @@ void finish() { clearUpTo(kShown); } @@ void finish() {}
src/decode/rowloop.h @@ std::min({bpr, room, have}) @@ std::min({bpr, room, have + 1})
src/decode/rowloop.h @@ out.endRow(n); @@ out.endRow(bpr);
src/decode/rldecoder.cpp @@ wholeRowInFile ? std::min(bpr, room) : 0 @@ wholeRowInFile ? std::min(bpr, room + 384) : 0
src/decode/rldecoder.cpp @@ if (count == 0) count = bpr - j; @@ if (count == 0) count = bpr - j + 1;
src/decode/rldecoder.cpp @@ entry = b >> 4 & 7, @@ entry = b >> 4 & 15,
src/decode/rldecoder.cpp @@ count = b < 0x80 ? 1 : b & 0x0F @@ count = b < 0x80 ? 1 : b & 0x07
src/decode/rldecoder.cpp @@ const bool run = b >= 0x80; @@ const bool run = b > 0x80;
src/decode/rldecoder.cpp @@ count = run ? data[l + 1] : 1 @@ count = run ? data[l + 1] + 1 : 1
src/decode/rldecoder.cpp @@ drawn = std::min(j, room); @@ drawn = std::min(j, room) - 1;
src/decode/palettewriter.h @@ static_cast<std::size_t>(3 * (count - j))); @@ static_cast<std::size_t>(3 * (count - j + 1)));
src/decode/palettewriter.h @@ for (; j + 9 <= count; j += 8) @@ for (; j + 8 <= count; j += 8)
src/decode/palettewriter.h @@ std::uint32_t{cdiplte[3 * n + 1]} << 8 @@ std::uint32_t{cdiplte[3 * n + 2]} << 8
src/decode/clutrowssse3.cpp @@ _mm_srli_epi16(bytes, 4) @@ _mm_srli_epi16(bytes, 3)
src/decode/clutrowssse3.cpp @@ static_cast<std::size_t>(3 * count)); @@ static_cast<std::size_t>(3 * count + 3));
src/decode/decoders.h @@ 128, 177, 212, 229 @@ 128, 178, 212, 229
src/decode/dyuvdecoder.cpp @@ c.y + c.u - 128 @@ c.y + c.u - 127
src/decode/dyuvdecoder.cpp @@ dyuvytable[src[j + 1] >> 4] @@ dyuvytable[src[j + 1] & 15]
src/decode/suppression.cpp @@ if (blue > brightBlue && @@ if (blue >= brightBlue &&
src/decode/suppression.cpp @@ green < dark) blue = red = 0; @@ green < dark) blue = 0;
src/decode/suppression.h @@ brightBlue = std::int64_t{t} - 20 @@ brightBlue = std::int64_t{t} - 21
src/decode/dyuvrowssse3.cpp @@ kBrightBlue = kFastDyuvThreshold - 20 @@ kBrightBlue = kFastDyuvThreshold - 19
src/decode/dyuvdecoder.cpp @@ threshold == kFastDyuvThreshold || @@ threshold >= kFastDyuvThreshold - 1 ||
src/decode/filecopy.cpp @@ if (size > maxBytes) @@ if (size > maxBytes + 1)
src/decode/filecopy.cpp @@ if (got < 0 && errno == EINTR) continue; @@ if (false) continue;
src/decode/filecopy.cpp @@ size, readCall) != size) @@ size, readCall) < 0)
src/decode/filecopy.cpp @@ if ((info.st_mode & S_IFMT) != S_IFREG) return @@ if (false) return
src/decode/accurate/accuraterunlength.cpp @@ (line.left() + 1) / 2 @@ line.left() / 2
src/decode/accurate/accuraterunlength.cpp @@ *count == 0 ? line.left() : *count @@ *count == 0 ? 1 : *count
src/decode/accurate/accuratelines.cpp @@ return (width + 1) / 2; @@ return width / 2;
src/decode/accurate/accuratelines.cpp @@ header.model == 6 ? 0x0F : 0x07 @@ header.model == 6 ? 0x0F : 0x0F
src/decode/accurate/accuratelines.cpp @@ header.model == 4 ? 0xFF : 0x7F @@ header.model == 4 ? 0xFF : 0xFF
src/decode/accurate/accuratelines.cpp @@ widen(pixel >> 10 & 31) @@ widen(pixel >> 11 & 31)
src/decode/accurate/accuratedyuv.cpp @@ clamp255(y + 444 * du / 256) @@ clamp255(y + 445 * du / 256)
src/decode/accurate/accuratechunks.cpp @@ return end + 1; @@ return end;
src/decode/accurate/accuratechunks.cpp @@ chunk.is("PLTE") && !found.idat @@ chunk.is("PLTE")
src/tools/imag2png.cpp @@ kViewerThreshold = 220; @@ kViewerThreshold = 221;
src/tools/imag2png.cpp @@ kViewerThreshold = 220; @@ kViewerThreshold = 219;
src/tools/imag2png.cpp @@ width = coverage.width, height = coverage.height; @@ width = coverage.width, height = kFrameHeight;
src/tools/imag2png.cpp @@ if (job.output != "-" && sameFile(job.input, job.output)) { @@ if (false) {
src/tools/imag2png.cpp @@ !written.insert(jobs[i].output).second @@ !written.insert(jobs[i].output).second && false
src/tools/batchrun.cpp @@ allDone = convert(i) && allDone; @@ allDone = convert(i) || allDone;
src/imageio/frameimage.cpp @@ out[0] = row[3 * x + 2]; @@ out[0] = row[3 * x + 1];
src/imageio/atomicwrite.cpp @@ return ::fsync(fd); @@ return fd * 0;
src/imageio/atomicwrite.cpp @@ const bool synced = ::fsync(fd) == 0 || @@ const bool synced = true ||
src/imageio/atomicwrite.cpp @@ if (replacing) keepOwnerAndMode(fd_, existing); @@ if (replacing && false) keepOwnerAndMode(fd_, existing);
src/imageio/atomicwrite.cpp @@ releaseSlot(*slot_, !error.empty()); @@ releaseSlot(*slot_, false);
src/imageio/atomicwrite.cpp @@ S_ISCHR(existing.st_mode) || S_ISFIFO @@ S_ISFIFO
src/imageio/atomicwrite.cpp @@ if (!std::filesystem::is_symlink(pathFromUtf8(path), error)) return path; @@ if (std::filesystem::is_symlink(pathFromUtf8(path), error) || true) return path;
EOF
}

main() {
cd "$(dirname "$0")/.."
renice -n 10 -p $$ >/dev/null 2>&1 || true  # the machine is shared: builds and tests yield to others

count=0 seed=1 only="" paths=() list="" who=0 killers=""
while [ $# -gt 0 ]; do
  case "$1" in
    --random) count="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --faults) list=$(realpath "$2"); shift 2 ;;
    --who) who=1; shift ;;
    -h | --help) sed -n '2,22p' "$0"; exit 0 ;;
    *) if [ "$count" -gt 0 ]; then paths+=("$1"); else only="$1"; fi; shift ;;
  esac
done
if [ "$count" -gt 0 ] && [ ${#paths[@]} -eq 0 ]; then
  # The window-system shells and the Windows-only image library have no fast tests here.
  paths=(src '!src/shell/sdl' '!src/shell/win32' '!src/shell/web' '!src/shell/pixbuf'
    '!src/imageio/wicpng')
fi
equivalents=scripts/mutants-equivalent.txt

# The fast test programs, with the arguments of those that are not GoogleTest programs.
tests=(tests/decode_tests tests/viewercore_tests tests/accurate/accurate_tests
  tests/accurate/accurate_converter_tests tests/converter/converter_tests
  tests/encode/encode_tests tests/filesystem/filesystem_tests
  tests/filesystem/imag2png_corner_tests tests/fuzz/truncation_tests tests/scan/scan_tests
  tests/scan/scan_command_tests tests/sample_tests
  "tests/fuzz/fuzz_decode_replay @tests/fuzz/corpus @tests/fuzz/regressions"
  "tests/fuzz/fuzz_rows_replay @tests/fuzz/rows-corpus"
  "tests/fuzz/fuzz_accurate_replay @tests/fuzz/corpus @tests/fuzz/accurate-corpus"
  "tests/fuzz/fuzz_scan_replay @tests/fuzz/corpus @tests/fuzz/accurate-corpus")
tools=(src/tools/imag2png src/tools/png2imag)

if [ -n "${MUTATE_WORK:-}" ]; then
  work=$(mkdir -p "$MUTATE_WORK" && cd "$MUTATE_WORK" && pwd)
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/mutate.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
chmod 755 "$work"  # some tests run the converter as an ordinary user
tree="$work/tree"
build="$work/build"
# The working tree as it is, tracked files only; a kept copy takes only the files that differ,
# so that their old builds stay valid.
mkdir -p "$tree"
git ls-files -z | while IFS= read -r -d '' f; do
  [ -f "$f" ] && ! cmp -s "$f" "$tree/$f" && install -D -m "$(stat -c %a "$f")" "$f" "$tree/$f"
done

# Each fault rebuilds one file and relinks every program above it: Ninja checks the tree in a
# fraction of a second where Make takes tens, lld links several times faster, ccache rebuilds
# the unmutated file from its cache, and -O1 compiles about twice as fast as -O3. The standard
# library's index checks turn an overrun of an array inside a larger object into a crash, and
# the C library's checked copies one past a local buffer.
options=(-DCMAKE_BUILD_TYPE=Release
  -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG -D_GLIBCXX_ASSERTIONS -D_FORTIFY_SOURCE=2"
  -DPELMORA_TESTS=ON -DPELMORA_BENCH=OFF -DPELMORA_PIXBUF_LOADER=OFF)
command -v ninja >/dev/null && options+=(-G Ninja)
command -v ld.lld >/dev/null && options+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
grep -qs "CMAKE_GENERATOR:INTERNAL=$(command -v ninja >/dev/null && echo Ninja || echo Unix)" \
  "$build/CMakeCache.txt" || rm -rf "$build"  # a kept build of another generator
cmake -S "$tree" -B "$build" "${options[@]}" >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; exit 1; }
targets=()
made=$(cmake --build "$build" --target help)
for t in "${tests[@]}"; do
  t=${t%% *}
  # A program the configuration does not make (no viewer library without SDL2) is left out.
  grep -Eq "^(\.\.\. )?${t##*/}(: phony)?\$" <<<"$made" && targets+=("${t##*/}")
done
for t in "${tools[@]}"; do targets+=("${t##*/}"); done
build() { timeout 900 cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >"$work/build.log" 2>&1; }
build || { tail -n 30 "$work/build.log"; echo "the unmutated tree does not build"; exit 1; }

declare -gA limit=() original_sum=() runs=()
binaries() { for t in "${tests[@]}" "${tools[@]}"; do t=${t%% *}; [ -f "$build/$t" ] && echo "$t"; done; }
sums() { (cd "$build" && binaries | xargs md5sum); }
while read -r sum file; do original_sum[$file]=$sum; done < <(sums)
# Runs test program $1; fails when a test fails, crashes or outlasts its limit.
run_one() {
  local program=${1%% *} args=() a
  for a in ${1#"$program"}; do args+=("${a/#@/$tree/}"); done
  [[ $program == *_tests ]] && args+=(--gtest_brief=1) && [ "$who" = 0 ] && args+=(--gtest_fail_fast)
  { (cd "$build" && exec timeout "${limit[$program]:-600}" "$program" "${args[@]}" >"$work/said" 2>&1); } 2>/dev/null
  local status=$? names
  [ "$status" = 0 ] || [ "$who" = 0 ] && return $status
  names=$(sed -n -E 's/^\[  FAILED  \] ([A-Za-z0-9_/.]+)(,.*| \(.*)?$/\1/p' "$work/said" | sort -u)
  killers+=$(printf " ${program##*/}:%s" ${names:-rc$status})
  return $status
}
# The programs in order of their time on the unmutated tree, the quickest first; each may take
# five times that, and at least 30 seconds, before it counts as hung. A test program also runs
# when a tool whose path it holds changed.
order=()
for t in "${tests[@]}"; do
  program=${t%% *}
  [ -f "$build/$program" ] || continue
  started=$(date +%s%N)
  run_one "$t" || { echo "the unmutated tree fails $program"; exit 1; }
  took=$((($(date +%s%N) - started) / 1000000))
  limit[$program]=$((took * 5 / 1000 > 30 ? took * 5 / 1000 : 30))
  order+=("$took $t")
  for tool in "${tools[@]}"; do
    grep -qF "$build/$tool" "$build/$program" && runs[$tool]+="$program "
  done
done
mapfile -t order < <(printf '%s\n' "${order[@]}" | sort -n | cut -d' ' -f2-)

# Runs the programs that could notice the fault: those whose binary or tool changed. Returns 0
# when all pass, 1 when one fails, 2 when no binary changed.
run_tests() {
  local changed=" " sum file t
  while read -r sum file; do
    [ "$sum" = "${original_sum[$file]}" ] || changed+="$file ${runs[$file]:-}"
  done < <(sums)
  [ "$changed" = " " ] && return 2
  local failed=0
  for t in "${order[@]}"; do
    [[ $changed == *" ${t%% *} "* ]] || continue
    run_one "$t" || failed=1
    [ "$failed" = 1 ] && [ "$who" = 0 ] && break
  done
  return $failed
}

# Puts fault $2 -> $3 into file $1: on line $4 when given (which must read $2), else at the
# first occurrence of $2. Fails when the code is not there.
mutate() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1:4]
text = open(path).read()
if len(sys.argv) > 4:  # a drawn fault: the whole line, literally
    lines = text.split("\n")
    n = int(sys.argv[4]) - 1
    if n >= len(lines) or lines[n].strip() != old:
        sys.exit(1)
    lines[n] = lines[n][: len(lines[n]) - len(lines[n].lstrip())] + new
    text = "\n".join(lines)
elif old.replace("\\n", "\n") in text:
    text = text.replace(old.replace("\\n", "\n"), new.replace("\\n", "\n"), 1)
else:
    sys.exit(1)
open(path, "w").write(text)
PY
}

# Faults named equivalent: "FILE @@ CODE @@ FAULTY CODE @@ why".
declare -gA listed=()
while IFS= read -r line; do
  [[ -z $line || $line == "#"* ]] || listed["${line% @@ *}"]=1
done < <([ -f "$equivalents" ] && cat "$equivalents")

if [ -n "$list" ]; then
  sed -E -n 's/^ *survivor: ([^:]+:[0-9]+): (.*) -> (.*)$/\1 @@ \2 @@ \3/p; t; /@@/p' "$list" \
    >"$work/faults"
elif [ "$count" -gt 0 ]; then
  /usr/bin/python3 scripts/mutants.py "$count" "$seed" "${paths[@]}" >"$work/faults" || exit 1
else
  faults >"$work/faults"
fi

# An interrupted run puts the file under test back, so that a kept copy stays the tree's.
current=""
restore() { [ -z "$current" ] || cp "$work/original" "$tree/$current"; current=""; }
trap 'restore; exit 130' INT TERM

killed=0 survived=0 gone=0 broken=0 same=0 equivalent=0
survivors=()
while IFS= read -r line; do
  [ -z "$line" ] && continue
  place=${line%% @@ *}
  rest=${line#* @@ }
  code=${rest%% @@*}
  faulty=${rest#* @@}
  faulty=${faulty# }
  file=${place%%:*}
  at=()
  [ "$file" != "$place" ] && at=("${place##*:}")
  if [ -n "$only" ] && [[ "$file $code" != *"$only"* ]]; then continue; fi
  label="$place: $code -> $faulty"
  if [ -n "${listed["$file @@ $code @@ $faulty"]+x}" ]; then
    echo "listed equivalent: $label"
    equivalent=$((equivalent + 1))
    continue
  fi
  cp "$tree/$file" "$work/original" 2>/dev/null && current=$file &&
    mutate "$tree/$file" "$code" "$faulty" "${at[@]}" || {
    restore
    echo "no longer applies: $label"
    gone=$((gone + 1))
    continue
  }
  if ! build; then
    echo "does not build:    $label"
    broken=$((broken + 1))
  else
    killers=""
    run_tests
    case $? in
      0) echo "SURVIVED:          $label"; survived=$((survived + 1)); survivors+=("$label") ;;
      1) echo "killed:            $label${killers:+ ||$killers}"; killed=$((killed + 1)) ;;
      *) echo "same machine code: $label"; same=$((same + 1)) ;;
    esac
  fi
  restore
done <"$work/faults"

tried=$((killed + survived))
echo
echo "faults: $((tried + gone + broken + same + equivalent)) drawn, $killed killed, $survived survived," \
  "$same same machine code, $equivalent listed equivalent, $broken stillborn, $gone no longer apply"
[ "$tried" -gt 0 ] && awk -v k="$killed" -v t="$tried" 'BEGIN { printf "kill rate: %.1f%%\n", 100 * k / t }'
for s in "${survivors[@]}"; do echo "  survivor: $s"; done
[ "$survived" -eq 0 ]
}

# All of it read before it runs, so that editing or checking out the script mid-run is safe.
main "$@"; exit $?
