// makesamples: writes the bundled sample pictures into a folder (the repository's samples/).
// Usage: makesamples DIR

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "samples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: makesamples DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  for (const SamplePicture& sample : samplePictures()) {
    const std::filesystem::path path = dir / sample.fileName;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(sample.bytes.data()),
              static_cast<std::streamsize>(sample.bytes.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "makesamples: %s: cannot write\n", path.string().c_str());
      return 1;
    }
    std::printf("%s (%zu bytes)\n", path.string().c_str(), sample.bytes.size());
  }
  return 0;
}
