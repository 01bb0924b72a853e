#include "frameimage.h"

RgbImage frameToRgb(std::span<const std::uint8_t, kFrameBytes> frame, int width, int height) {
  RgbImage image;
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::uint8_t* out = image.rgb.data();
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = frame.data() + static_cast<std::size_t>(y) * kFramePitch;
    for (int x = 0; x < width; ++x, out += 3) {
      out[0] = row[3 * x + 2];
      out[1] = row[3 * x + 1];
      out[2] = row[3 * x];
    }
  }
  return image;
}
