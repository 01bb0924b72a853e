#include "dyuvencoder.h"

#include <cstdlib>
#include <limits>

#include "decoders.h"
#include "suppression.h"

namespace {

struct Bgr {
  int b, g, r;
};

// Blue = Y + U - 128, green = Y, red = Y + V - 128, wrapping at 256, then the suppression.
Bgr decoded(std::uint8_t y, std::uint8_t u, std::uint8_t v, int threshold) {
  auto blue = static_cast<std::uint8_t>(y + u - 128);
  auto green = y;
  auto red = static_cast<std::uint8_t>(y + v - 128);
  if (threshold != 0) suppressArtefacts(blue, green, red, threshold);
  return {blue, green, red};
}

int distance(const Bgr& a, const Rgb& b) {
  const int db = a.b - b.b, dg = a.g - b.g, dr = a.r - b.r;
  return db * db + dg * dg + dr * dr;
}

}  // namespace

Bytes encodeDyuv(const RgbPicture& image, DyuvStart start, int threshold) {
  Bytes out;
  out.reserve(static_cast<std::size_t>(image.width) * image.height);
  for (int row = 0; row < image.height; ++row) {
    std::uint8_t y = start.y, u = start.u, v = start.v;
    for (int x = 0; x < image.width; ++x) {
      const bool even = x % 2 == 0;  // even pixels step U, odd ones V
      int best = std::numeric_limits<int>::max();
      std::uint8_t bestByte = 0;
      for (int chroma = 0; chroma < 16; ++chroma) {
        const auto c = static_cast<std::uint8_t>((even ? u : v) + dyuvytable[chroma]);
        for (int luma = 0; luma < 16; ++luma) {
          const auto ny = static_cast<std::uint8_t>(y + dyuvytable[luma]);
          const int error =
              distance(decoded(ny, even ? c : u, even ? v : c, threshold), image.at(x, row));
          if (error < best) {
            best = error;
            bestByte = static_cast<std::uint8_t>(chroma << 4 | luma);
          }
        }
      }
      y = static_cast<std::uint8_t>(y + dyuvytable[bestByte & 0x0F]);
      (even ? u : v) += dyuvytable[bestByte >> 4];
      out.push_back(bestByte);
    }
  }
  return out;
}
