#include "testchart.h"

#include <algorithm>
#include <cmath>

const std::vector<Rgb> kBarColours = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                      {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

namespace {

Rgb grey(int level) {
  const auto g = static_cast<std::uint8_t>(level);
  return {g, g, g};
}

Rgb bar(int x, int width) {
  return kBarColours[static_cast<std::size_t>(x) * kBarColours.size() / width];
}

}  // namespace

RgbPicture testChart(int width, int height) {
  return draw(width, height, [=](int x, int y) -> Rgb {
    if (y < height / 2) return bar(x, width);
    const auto level = static_cast<std::uint8_t>(width > 1 ? x * 255 / (width - 1) : 0);
    switch ((y - height / 2) / std::max(height / 16, 1)) {  // bands of a sixteenth each
      case 0:
        return {level, 0, 0};
      case 1:
        return {0, level, 0};
      case 2:
        return {0, 0, level};
      case 3:
        return grey(level);
      case 4:
        return grey(x * 8 / width * 255 / 7);  // the step wedge
      default:
        return grey(((x / 8) + (y / 8)) % 2 == 0 ? 200 : 40);
    }
  });
}

RgbPicture colourBars(int width, int height) {
  return draw(width, height, [=](int x, int) { return bar(x, width); });
}

RgbPicture photograph(int width, int height, int grain) {
  std::uint32_t noise = 2463534242u;
  return draw(width, height, [&](int x, int y) {
    const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
    const double shade = 0.5 + 0.25 * std::sin(6.0 * u + 2.0 * v) * std::cos(5.0 * v - u);
    std::uint8_t channel[3];
    for (int c = 0; c < 3; ++c) {
      const double hue = std::sin(3.0 * u + 4.0 * v + 2.1 * c) * 0.35;
      int level = static_cast<int>(255.0 * std::clamp(shade + hue * (1.0 - v), 0.0, 1.0));
      noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;  // xorshift
      if (grain > 0) level += static_cast<int>(noise % (2 * grain + 1)) - grain;
      channel[c] = static_cast<std::uint8_t>(std::clamp(level, 0, 255));
    }
    return Rgb{channel[0], channel[1], channel[2]};
  });
}
