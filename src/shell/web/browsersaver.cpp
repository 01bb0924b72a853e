#include "browsersaver.h"

std::string downloadName(const std::string& name) {
  const std::size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

SaveResult BrowserSaver::save(const RgbImage& image, const std::string& name) {
  image_ = image;
  name_ = downloadName(name);
  pending_ = true;
  return {.name = name_, .error = {}};
}
