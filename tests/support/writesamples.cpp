// writesamples: writes every picture the repository keeps, from the code that makes them.
//
//   writesamples ROOT          the bundled samples (ROOT/samples/*.imag), the accurate-profile
//                              samples (ROOT/samples/accurate/) and the fuzz seeds
//                              (ROOT/tests/fuzz/corpus, rows-corpus and accurate-corpus)
//   writesamples --windows DIR the pictures the Windows tests show the viewer
//
// Run it from the repository's root as `build/tests/support/writesamples .` and commit the
// result whenever the code of a sample changes; the sample tests compare the committed files
// with what this code writes.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "accuratesamples.h"
#include "bundledsamples.h"
#include "fuzzinput.h"
#include "fuzzsamples.h"
#include "windowssamples.h"

namespace fs = std::filesystem;

namespace {

bool save(const fs::path& path, const Bytes& bytes) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (out.flush()) return true;
  std::fprintf(stderr, "writesamples: %s: cannot write\n", path.string().c_str());
  return false;
}

std::string selectorSuffix(std::uint8_t selector) {
  char suffix[8];
  std::snprintf(suffix, sizeof suffix, "-%02x", selector);
  return suffix;
}

bool contains(const std::string& name, const char* part) {
  return name.find(part) != std::string::npos;
}

// fuzz_decode's seeds: each fuzz sample once; the DYUV ones once per kind of threshold.
bool writeDecodeSeeds(const fs::path& dir) {
  bool ok = true;
  for (const Sample& sample : samplePictures()) {
    for (const std::uint8_t selector : {kSelectViewer, kSelectOff, kSelectOther}) {
      if (!contains(sample.name, "dyuv") && selector != kSelectViewer) continue;
      ok = save(dir / (sample.name + selectorSuffix(selector) + ".fuzz"),
                fuzzInput(selector, sample.file)) &&
           ok;
    }
  }
  return ok;
}

// fuzz_rows' seeds: rows of lengths around the 16-pixel blocks.
bool writeRowSeeds(const fs::path& dir) {
  bool ok = true;
  for (const int n : {1, 2, 15, 16, 17, 33, 384, 401}) {
    for (const std::uint8_t selector : {kSelectViewer, kSelectOff, kSelectOther}) {
      Bytes input = {selector, static_cast<std::uint8_t>(n * 37), static_cast<std::uint8_t>(n * 91),
                     128};
      for (int i = 0; i < 48 + n; ++i)
        input.push_back(static_cast<std::uint8_t>(i * 29 + n));
      ok = save(dir / ("row-" + std::to_string(n) + selectorSuffix(selector) + ".fuzz"), input) &&
           ok;
    }
  }
  return ok;
}

// fuzz_accurate's seeds: each accurate sample; DYUV and CAT ones also with selector 3
// (interpolated chroma, second picture).
bool writeAccurateSeeds(const fs::path& dir) {
  bool ok = true;
  for (const AccurateSample& sample : accurateSamples()) {
    const std::string stem = "accurate-" + fs::path(sample.name).stem().string();
    for (const std::uint8_t selector : {0x00, 0x03}) {
      if (selector != 0 && !contains(stem, "dyuv") && !contains(stem, "cat")) continue;
      ok = save(dir / (stem + selectorSuffix(selector) + ".fuzz"),
                fuzzInput(selector, sample.bytes)) &&
           ok;
    }
  }
  return ok;
}

bool writeAll(const fs::path& root) {
  bool ok = true;
  for (const SamplePicture& sample : bundledSamples())
    ok = save(root / "samples" / sample.fileName, sample.bytes) && ok;
  for (const AccurateSample& sample : accurateSamples())
    ok = save(root / "samples" / "accurate" / sample.name, sample.bytes) && ok;
  const fs::path fuzz = root / "tests" / "fuzz";
  ok = writeDecodeSeeds(fuzz / "corpus") && ok;
  ok = writeRowSeeds(fuzz / "rows-corpus") && ok;
  return writeAccurateSeeds(fuzz / "accurate-corpus") && ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0][0] != '-') return writeAll(args[0]) ? 0 : 1;
  if (args.size() == 2 && args[0] == "--windows") {
    bool ok = true;
    for (const SamplePicture& sample : windowsSamples())
      ok = save(fs::path(args[1]) / sample.fileName, sample.bytes) && ok;
    return ok ? 0 : 1;
  }
  std::fputs("usage: writesamples ROOT | writesamples --windows DIR\n", stderr);
  return 2;
}
