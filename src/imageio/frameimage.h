#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "decode.h"

// A picture as image files want it: rows top to bottom, 3 bytes a pixel, red first.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes
};

// The top-left width x height of the shown frame (blue, green, red; rows 1152 bytes apart) as
// red, green, blue. width <= 384, height <= 280.
RgbImage frameToRgb(std::span<const std::uint8_t, kFrameBytes> frame, int width, int height);
