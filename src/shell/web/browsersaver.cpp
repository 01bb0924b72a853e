#include "browsersaver.h"

std::string downloadName(const std::string& stem) {
  const std::size_t slash = stem.find_last_of("/\\");
  return (slash == std::string::npos ? stem : stem.substr(slash + 1)) + ".png";
}

SaveResult BrowserSaver::save(const RgbImage& image, const std::string& stem) {
  image_ = image;
  name_ = downloadName(stem);
  pending_ = true;
  return {.name = name_, .error = {}};
}
