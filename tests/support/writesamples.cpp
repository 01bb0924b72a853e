// writesamples ROOT: writes every picture file the repository keeps, from the code that makes
// them: the bundled samples (ROOT/samples/*.imag), the accurate-profile samples
// (ROOT/samples/accurate/) and the fuzz seeds (ROOT/tests/fuzz/corpus, rows-corpus and
// accurate-corpus). Run it from the repository's root as `build/tests/support/writesamples .`
// and commit the result whenever the code of a sample changes.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "repositoryfiles.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fputs("usage: writesamples ROOT\n", stderr);
    return 2;
  }
  bool ok = true;
  for (const RepositoryFile& file : repositoryFiles()) {
    const fs::path path = fs::path(argv[1]) / file.path;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.bytes.data()),
              static_cast<std::streamsize>(file.bytes.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "writesamples: %s: cannot write\n", path.string().c_str());
      ok = false;
    }
  }
  return ok ? 0 : 1;
}
