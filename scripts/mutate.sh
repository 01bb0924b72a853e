#!/usr/bin/env bash
# mutate.sh [PATTERN]: a small mutation check of the fast tests. Puts each single-line fault of
# the list below, one at a time, into a copy of the working tree (never into the tree itself),
# rebuilds, runs the unit, converter and file-system tests, and reports the faults no test
# noticed and the kill rate. PATTERN keeps only the faults whose file or code contains it.
# A developer tool, not part of CI: on two cores it takes tens of minutes.
#
# Each fault is "FILE @@ CODE @@ FAULTY CODE": the first occurrence of CODE (literal text; \n is a
# line break) in FILE becomes FAULTY CODE. Anchor a fault on code that says what it does, so that
# refactors keep it; a fault whose code is gone is reported as no longer applying, not as a
# failure.
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

cd "$(dirname "$0")/.."
only="${1:-}"
tests=(tests/decode_tests tests/accurate/accurate_tests tests/accurate/accurate_converter_tests
  tests/converter/converter_tests tests/filesystem/filesystem_tests
  tests/filesystem/imag2png_corner_tests tests/fuzz/truncation_tests)
targets=(imag2png)
for t in "${tests[@]}"; do targets+=("${t##*/}"); done

work=$(mktemp -d "${TMPDIR:-/tmp}/mutate.XXXXXX")
chmod 755 "$work"  # some tests run the converter as an ordinary user
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
# The working tree as it is, tracked files only.
tree="$work/tree"
mkdir "$tree"
git ls-files -z | tar --null -T - -cf - 2>/dev/null | tar -xf - -C "$tree"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$tree" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DPELMORA_VIEWER=OFF \
  "${launcher[@]}" >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
build() { cmake --build "$work/build" -j"$(nproc)" --target "${targets[@]}" >"$work/build.log" 2>&1; }
# Fails as soon as one test fails; a crash or a hung test (5 minutes) counts as a failure.
run_tests() {
  for t in "${tests[@]}"; do
    { (cd "$work/build" && exec timeout 300 "$t" --gtest_brief=1 --gtest_fail_fast >/dev/null 2>&1); } 2>/dev/null || return 1
  done
}
build || { tail -n 30 "$work/build.log"; echo "the unmutated tree does not build"; exit 1; }
run_tests || { echo "the unmutated tree fails its tests"; exit 1; }

# Replaces the first occurrence of $2 in file $1 by $3; fails when $2 is not there.
mutate() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2].replace("\\n", "\n"), sys.argv[3].replace("\\n", "\n")
text = open(path).read()
if old not in text:
    sys.exit(1)
open(path, "w").write(text.replace(old, new, 1))
PY
}

killed=0 survived=0 gone=0 broken=0
survivors=()
while IFS= read -r line; do
  [ -z "$line" ] && continue
  file=${line%% @@ *}
  rest=${line#* @@ }
  code=${rest%% @@*}
  faulty=${rest#* @@}
  faulty=${faulty# }
  if [ -n "$only" ] && [[ "$file $code" != *"$only"* ]]; then continue; fi
  label="$file: $code -> $faulty"
  cp "$tree/$file" "$work/original" 2>/dev/null || { echo "no longer applies: $label"; gone=$((gone + 1)); continue; }
  if ! mutate "$tree/$file" "$code" "$faulty"; then
    echo "no longer applies: $label"
    gone=$((gone + 1))
    continue
  fi
  if ! build; then
    echo "does not build:    $label"
    broken=$((broken + 1))
  elif run_tests; then
    echo "SURVIVED:          $label"
    survived=$((survived + 1))
    survivors+=("$label")
  else
    echo "killed:            $label"
    killed=$((killed + 1))
  fi
  cp "$work/original" "$tree/$file"
done < <(faults)

tried=$((killed + survived))
echo
echo "faults: $tried tried, $killed killed, $survived survived ($gone no longer apply, $broken do not build)"
[ "$tried" -gt 0 ] && awk -v k="$killed" -v t="$tried" 'BEGIN { printf "kill rate: %.0f%%\n", 100 * k / t }'
for s in "${survivors[@]}"; do echo "  survivor: $s"; done
[ "$survived" -eq 0 ]
