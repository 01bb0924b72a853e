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

// A fuzz seed: DIR/STEM-SS.fuzz, the selector SS in hex, then `file`.
bool seed(const fs::path& dir, const std::string& stem, std::uint8_t selector, const Bytes& file) {
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "-%02x.fuzz", selector);
  return save(dir / (stem + suffix), fuzzInput(selector, file));
}

bool has(const std::string& name, const char* part) {
  return name.find(part) != std::string::npos;
}

bool writeAll(const fs::path& root) {
  bool ok = true;
  for (const SamplePicture& sample : bundledSamples())
    ok = save(root / "samples" / sample.fileName, sample.bytes) && ok;
  const fs::path fuzz = root / "tests" / "fuzz";
  const std::uint8_t everyThreshold[] = {kSelectViewer, kSelectOff, kSelectOther};
  // fuzz_decode's seeds: each fuzz sample once; the DYUV ones once per kind of threshold.
  for (const Sample& sample : samplePictures()) {
    for (const std::uint8_t selector : everyThreshold) {
      if (selector == kSelectViewer || has(sample.name, "dyuv"))
        ok = seed(fuzz / "corpus", sample.name, selector, sample.file) && ok;
    }
  }
  // fuzz_rows' seeds: rows of lengths around the 16-pixel blocks, after the start values.
  for (const int n : {1, 2, 15, 16, 17, 33, 384, 401}) {
    Bytes row = {static_cast<std::uint8_t>(n * 37), static_cast<std::uint8_t>(n * 91), 128};
    for (int i = 0; i < 48 + n; ++i)
      row.push_back(static_cast<std::uint8_t>(i * 29 + n));
    for (const std::uint8_t selector : everyThreshold)
      ok = seed(fuzz / "rows-corpus", "row-" + std::to_string(n), selector, row) && ok;
  }
  // fuzz_accurate's seeds: each accurate sample; DYUV and CAT ones also with selector 3
  // (interpolated chroma, second picture).
  for (const AccurateSample& sample : accurateSamples()) {
    ok = save(root / "samples" / "accurate" / sample.name, sample.bytes) && ok;
    const std::string stem = "accurate-" + fs::path(sample.name).stem().string();
    ok = seed(fuzz / "accurate-corpus", stem, 0, sample.bytes) && ok;
    if (has(stem, "dyuv") || has(stem, "cat"))
      ok = seed(fuzz / "accurate-corpus", stem, 3, sample.bytes) && ok;
  }
  return ok;
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
