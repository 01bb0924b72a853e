// makeaccuratesamples FOLDER: writes the accurate-profile sample pictures into FOLDER.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "accuratesamples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: makeaccuratesamples FOLDER\n", stderr);
    return 2;
  }
  for (const AccurateSample& sample : accurateSamples()) {
    const auto path = std::filesystem::path(argv[1]) / sample.name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(sample.bytes.data()),
              static_cast<std::streamsize>(sample.bytes.size()));
    if (!out) {
      std::fprintf(stderr, "makeaccuratesamples: %s: cannot write\n", path.string().c_str());
      return 1;
    }
  }
  return 0;
}
