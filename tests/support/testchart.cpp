#include "testchart.h"

#include <algorithm>
#include <cmath>

const std::vector<Rgb> kBarColours = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                      {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

namespace {

std::uint8_t ramp(int x, int width) {
  return static_cast<std::uint8_t>(width > 1 ? x * 255 / (width - 1) : 0);
}

Rgb bar(int x, int width) {
  return kBarColours[static_cast<std::size_t>(x) * kBarColours.size() / width];
}

Rgb chartPixel(int x, int y, int width, int height) {
  const int band = height / 16;  // the ramps and the bottom rows are one band tall each
  if (y < height / 2) return bar(x, width);
  const std::uint8_t level = ramp(x, width);
  const int ramps = (y - height / 2) / std::max(band, 1);
  switch (ramps) {
    case 0:
      return {level, 0, 0};
    case 1:
      return {0, level, 0};
    case 2:
      return {0, 0, level};
    case 3:
      return {level, level, level};
    case 4: {
      const auto step = static_cast<std::uint8_t>(x * 8 / width * 255 / 7);
      return {step, step, step};
    }
    default: {
      const bool light = ((x / 8) + (y / 8)) % 2 == 0;
      return light ? Rgb{200, 200, 200} : Rgb{40, 40, 40};
    }
  }
}

}  // namespace

RgbPicture testChart(int width, int height) {
  RgbPicture image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      image.pixels.push_back(chartPixel(x, y, width, height));
  }
  return image;
}

RgbPicture colourBars(int width, int height) {
  RgbPicture image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      image.pixels.push_back(bar(x, width));
  }
  return image;
}

RgbPicture photograph(int width, int height, int grain) {
  RgbPicture image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * height);
  std::uint32_t noise = 2463534242u;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
      const double shade = 0.5 + 0.25 * std::sin(6.0 * u + 2.0 * v) * std::cos(5.0 * v - u);
      int channel[3];
      for (int c = 0; c < 3; ++c) {
        const double hue = std::sin(3.0 * u + 4.0 * v + 2.1 * c) * 0.35;
        channel[c] = static_cast<int>(255.0 * std::clamp(shade + hue * (1.0 - v), 0.0, 1.0));
      }
      for (int& level : channel) {
        noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;  // xorshift
        if (grain > 0) level += static_cast<int>(noise % (2 * grain + 1)) - grain;
        level = std::clamp(level, 0, 255);
      }
      image.pixels.push_back({static_cast<std::uint8_t>(channel[0]),
                              static_cast<std::uint8_t>(channel[1]),
                              static_cast<std::uint8_t>(channel[2])});
    }
  }
  return image;
}
