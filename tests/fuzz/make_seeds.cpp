// Writes the fuzzer's seed corpus: each sample picture once per threshold selector, as
// DIR/<name>-<selector>.fuzz. Run it again and commit the result whenever samples.cpp changes.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fuzzinput.h"
#include "samples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
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
  return 0;
}
