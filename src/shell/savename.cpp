#include "savename.h"

#include <filesystem>
#include <system_error>

#include "utf8path.h"

namespace fs = std::filesystem;

namespace {

bool nameTaken(const std::string& path) {
  std::error_code error;
  // symlink_status: a link counts as taken even when what it points at does not exist.
  return fs::symlink_status(pathFromUtf8(path), error).type() != fs::file_type::not_found;
}

}  // namespace

std::string savePathFor(const std::string& path,
                        const std::function<bool(const std::string&)>& taken) {
  fs::path base = pathFromUtf8(path);
  base.replace_extension();
  return savePathNamed(utf8FromPath(base), taken);
}

std::string savePathNamed(const std::string& stem,
                          const std::function<bool(const std::string&)>& taken) {
  const auto isTaken = taken ? taken : nameTaken;
  std::string candidate = stem + ".png";
  for (int n = 2; isTaken(candidate); ++n)
    candidate = stem + "-" + std::to_string(n) + ".png";
  return candidate;
}
