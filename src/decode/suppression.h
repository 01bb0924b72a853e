#pragma once

#include <array>
#include <cstdint>

// Colour-artefact suppression, with threshold T (strict comparisons, signed; each rule sees
// what the rules before it changed):
//   1. blue  > T-20 and green < 255-T and red   < 255-T  ->  blue  = 0
//   2. green > T    and red   < 255-T and blue  < 255-T  ->  green = 0
//   3. red   > T    and blue  < 255-T and green < 255-T  ->  red   = 0
//   4. blue  > T    and red   > T     and green < 255-T  ->  blue = red = 0
void suppressArtefacts(std::uint8_t& blue, std::uint8_t& green, std::uint8_t& red, int t);

// The rules above depend on each channel only through three tests (dark, bright, bright for
// rule 1), so a pixel's fate is looked up from those class bits instead of branching per pixel.
class Suppression {
 public:
  explicit Suppression(int t) {
    const std::int64_t bright = t, brightBlue = std::int64_t{t} - 20, dark = 255 - std::int64_t{t};
    for (int v = 0; v < 256; ++v) {
      classOf_[v] = static_cast<std::uint8_t>((v < dark ? kDark : 0) | (v > bright ? kBright : 0) |
                                              (v > brightBlue ? kBrightBlue : 0));
    }
    for (unsigned index = 0; index < keep_.size(); ++index) {
      keep_[index] = t == 0 ? 0xFFFFFFu : keepMask(index & 7, index >> 3 & 7, index >> 6 & 7);
    }
  }

  // The pixel 0x00RRGGBB (channels b, g, r) with the channels that the rules zero cleared.
  std::uint32_t apply(std::uint32_t bgr, unsigned b, unsigned g, unsigned r) const {
    return bgr & keep_[classOf_[b] | classOf_[g] << 3 | classOf_[r] << 6];
  }

 private:
  static constexpr unsigned kDark = 1, kBright = 2, kBrightBlue = 4;

  std::uint32_t keepMask(unsigned b, unsigned g, unsigned r) const {
    const unsigned zero = classOf_[0];
    std::uint32_t keep = 0xFFFFFFu;
    if ((b & kBrightBlue) && (g & kDark) && (r & kDark)) keep &= ~0x0000FFu, b = zero;
    if ((g & kBright) && (r & kDark) && (b & kDark)) keep &= ~0x00FF00u, g = zero;
    if ((r & kBright) && (b & kDark) && (g & kDark)) keep &= ~0xFF0000u, r = zero;
    if ((b & kBright) && (r & kBright) && (g & kDark)) keep &= ~0xFF00FFu;
    return keep;
  }

  std::array<std::uint8_t, 256> classOf_{};
  std::array<std::uint32_t, 512> keep_{};
};
