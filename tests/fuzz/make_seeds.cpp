// Writes the fuzzers' seed corpora: for fuzz_decode each sample picture once per threshold
// selector, as DIR/<name>-<selector>.fuzz; for fuzz_rows rows of lengths around the 16-pixel
// blocks, as ROWSDIR/row-<n>-<selector>.fuzz. Run it again and commit the result whenever
// samples.cpp changes.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "fuzzinput.h"
#include "samples.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seeds DIR ROWSDIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  int written = 0;
  for (const Sample& sample : samplePictures()) {
    // The DYUV pictures get every kind of threshold; the others only need one.
    const bool dyuv = sample.name.find("dyuv") != std::string::npos;
    for (const std::uint8_t selector : {kSelectViewer, kSelectOff, kSelectOther}) {
      if (!dyuv && selector != kSelectViewer) continue;
      const auto input = fuzzInput(selector, sample.file);
      char suffix[8];
      std::snprintf(suffix, sizeof suffix, "-%02x", selector);
      std::ofstream(dir / (sample.name + suffix + ".fuzz"), std::ios::binary)
          .write(reinterpret_cast<const char*>(input.data()),
                 static_cast<std::streamsize>(input.size()));
      ++written;
    }
  }
  std::printf("%d seeds in %s\n", written, dir.string().c_str());

  const std::filesystem::path rows = argv[2];
  std::filesystem::create_directories(rows);
  int rowSeeds = 0;
  for (const int n : {1, 2, 15, 16, 17, 33, 384, 401}) {
    for (const std::uint8_t selector : {kSelectViewer, kSelectOff, kSelectOther}) {
      std::vector<std::uint8_t> input = {selector, static_cast<std::uint8_t>(n * 37),
                                         static_cast<std::uint8_t>(n * 91), 128};
      for (int i = 0; i < 48 + n; ++i)
        input.push_back(static_cast<std::uint8_t>(i * 29 + n));
      char name[40];
      std::snprintf(name, sizeof name, "row-%d-%02x.fuzz", n, selector);
      std::ofstream(rows / name, std::ios::binary)
          .write(reinterpret_cast<const char*>(input.data()),
                 static_cast<std::streamsize>(input.size()));
      ++rowSeeds;
    }
  }
  std::printf("%d seeds in %s\n", rowSeeds, rows.string().c_str());
  return 0;
}
