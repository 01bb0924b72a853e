#include "repositoryfiles.h"

#include <cstdio>

#include "accuratesamples.h"
#include "bundledsamples.h"
#include "fuzzinput.h"
#include "fuzzsamples.h"
#include "realtimesectors.h"

std::vector<RepositoryFile> repositoryFiles() {
  std::vector<RepositoryFile> files;
  // A fuzz seed: FOLDER/STEM-SS.fuzz, the selector SS in hex, then `file`.
  const auto seed = [&files](const char* folder, const std::string& stem, std::uint8_t selector,
                             const Bytes& file) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%02x.fuzz", selector);
    files.push_back(
        {"tests/fuzz/" + std::string(folder) + "/" + stem + suffix, fuzzInput(selector, file)});
  };
  for (const SamplePicture& sample : bundledSamples())
    files.push_back({"samples/" + sample.fileName, sample.bytes});
  const std::uint8_t everyThreshold[] = {kSelectViewer, kSelectOff, kSelectOther};
  // fuzz_decode's seeds: each fuzz sample once; the DYUV ones once per kind of threshold.
  for (const Sample& sample : samplePictures()) {
    for (const std::uint8_t selector : everyThreshold) {
      if (selector == kSelectViewer || sample.name.find("dyuv") != std::string::npos)
        seed("corpus", sample.name, selector, sample.file);
    }
  }
  // fuzz_rows' seeds: rows of lengths around the 16-pixel blocks, after the start values.
  for (const int n : {1, 2, 15, 16, 17, 33, 384, 401}) {
    Bytes row = {static_cast<std::uint8_t>(n * 37), static_cast<std::uint8_t>(n * 91), 128};
    for (int i = 0; i < 48 + n; ++i)
      row.push_back(static_cast<std::uint8_t>(i * 29 + n));
    for (const std::uint8_t selector : everyThreshold)
      seed("rows-corpus", "row-" + std::to_string(n), selector, row);
  }
  // fuzz_accurate's seeds: each accurate sample; DYUV and CAT ones also with selector 3
  // (interpolated chroma, second picture).
  for (const AccurateSample& sample : accurateSamples()) {
    files.push_back({"samples/accurate/" + sample.name, sample.bytes});
    const std::string stem = "accurate-" + sample.name.substr(0, sample.name.rfind('.'));
    seed("accurate-corpus", stem, 0, sample.bytes);
    if (stem.find("dyuv") != std::string::npos || stem.find("cat") != std::string::npos)
      seed("accurate-corpus", stem, 3, sample.bytes);
  }
  // fuzz_scan's sector seeds: real-time records in 2336-byte (selector 3) and 2352-byte
  // (selector 2) sectors, between audio, with a subheader whose copies disagree, RGB555 halves
  // and a record that never ends.
  const Bytes lines = ramp(2 * 2324, 0x1D);
  const Subheader other{1, 5, kVideoSector, 0x02};
  SectorImage mixed;
  mixed.sector({1, 1, 0x64, 0}, lines).record(lines, 0x02, 0, false);
  mixed.sector({1, 0, kVideoSector | kEndOfRecord, 0x02}, lines, &other);
  seed("scan-corpus", "realtime-clut8", 3, mixed.bytes());
  SectorImage raw(true);
  raw.record({0x85, 0x00, 0x81, 0x10, 0x05}, 0x04).record(lines, 0x13, 1);
  seed("scan-corpus", "realtime-rl", 2, raw.bytes());
  SectorImage halves;
  halves.record(lines, 0x06, 0).record(lines, 0x07, 1).record(lines, 0x06, 2);
  seed("scan-corpus", "realtime-rgb555", 3, halves.bytes());
  SectorImage endless;
  for (int n = 0; n < 7; ++n)
    endless.sector({1, 0, kVideoSector | kForm2Sector, 0x35}, lines);
  seed("scan-corpus", "realtime-endless", 3, endless.bytes());
  return files;
}
