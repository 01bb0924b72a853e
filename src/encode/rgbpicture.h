#pragma once

// A picture to encode: width x height colours, rows top to bottom with no gap between them.

#include <cstddef>
#include <vector>

#include "imagbuilder.h"

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
