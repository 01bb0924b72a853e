#include "outputname.h"

#include <cstdio>
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

std::string pictureOutputPath(const std::string& path, const PictureOutput& which,
                              const char* extension) {
  if (!which.offset) {
    const std::string whole = path + extension;
    return which.picture > 0 ? numberedOutput(whole, which.picture) : whole;
  }
  char hex[32];
  std::snprintf(hex, sizeof hex, "@0x%llx", static_cast<long long>(*which.offset));
  std::string name = path + hex;
  if (which.picture > 1) name += "-" + std::to_string(which.picture);
  return name + extension;
}

std::string numberedOutput(const std::string& output, int picture) {
  // Cut as text, so that the folder keeps the separators it was given.
  const std::string extension = utf8FromPath(pathFromUtf8(output).extension());
  return output.substr(0, output.size() - extension.size()) + "-" + std::to_string(picture) +
         extension;
}

std::string freeOutputPath(const std::string& path,
                           const std::function<bool(const std::string&)>& taken) {
  const auto isTaken = taken ? taken : nameTaken;
  std::string candidate = path;
  for (int n = 2; isTaken(candidate); ++n)
    candidate = numberedOutput(path, n);
  return candidate;
}
