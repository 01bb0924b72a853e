#include "accuratedyuvencoder.h"

#include <algorithm>
#include <array>
#include <limits>

#include "decoders.h"  // dyuvytable

namespace {

constexpr int kChromaCandidates = 2;  // chroma choices whose luminance is searched in full

// The decoder's matrix, term by term; each division truncates toward zero as the decoder's does.
int redOfV(int v) {
  return 351 * (v - 128) / 256;
}
int greenOfU(int u) {
  return -(86 * (u - 128) / 256);
}
int greenOfV(int v) {
  return -(179 * (v - 128) / 256);
}
int blueOfU(int u) {
  return 444 * (u - 128) / 256;
}

std::uint8_t clamp255(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// Sums and squares are kept in float, exact for these integers (all below 2^24), so that the
// loops over the 16 steps run on vector registers.
struct Offsets {  // what U and V add to Y in red, green and blue
  float r, g, b;
};

// The squared RGB error of each of the 16 Y values reachable from `y`, for target `t`.
void errorsFrom(std::uint8_t y, const Offsets& o, const Rgb& t, std::array<float, 16>& out) {
  for (int s = 0; s < 16; ++s) {
    const auto next = static_cast<float>(static_cast<std::uint8_t>(y + dyuvytable[s]));
    const float dr = std::clamp(next + o.r, 0.0f, 255.0f) - t.r;
    const float dg = std::clamp(next + o.g, 0.0f, 255.0f) - t.g;
    const float db = std::clamp(next + o.b, 0.0f, 255.0f) - t.b;
    out[s] = dr * dr + dg * dg + db * db;
  }
}

int smallest(const std::array<float, 16>& errors) {
  int best = 0;
  for (int s = 1; s < 16; ++s) {
    if (errors[s] < errors[best]) best = s;
  }
  return best;
}

struct LumaChoice {
  float error = std::numeric_limits<float>::max();
  int step0 = 0, step1 = 0;
};

// The best pair of Y steps from `y` for the two pixels under one chroma choice: every first
// step whose own error leaves room to beat the best pair so far, with every second step.
LumaChoice searchLuma(std::uint8_t y, const Offsets& o, const Rgb& t0, const Rgb& t1) {
  std::array<float, 16> first, second;
  errorsFrom(y, o, t0, first);
  LumaChoice best;
  const auto tryFirst = [&](int s0) {
    errorsFrom(static_cast<std::uint8_t>(y + dyuvytable[s0]), o, t1, second);
    const int s1 = smallest(second);
    if (first[s0] + second[s1] < best.error) best = {first[s0] + second[s1], s0, s1};
  };
  const int greedy = smallest(first);
  tryFirst(greedy);  // a tight bound first, so that most other first steps are passed over
  for (int s0 = 0; s0 < 16; ++s0) {
    if (s0 != greedy && first[s0] < best.error) tryFirst(s0);
  }
  return best;
}

// Three times the error of each chroma choice (U step su, V step sv at su * 16 + sv) when both
// pixels' Y may take any value: the spread of each pixel's residuals about their mean.
void chromaErrors(const std::array<float, 16>& red, const std::array<float, 16>& greenU,
                  const std::array<float, 16>& greenV, const std::array<float, 16>& blue,
                  const Rgb& t0, const Rgb& t1, std::array<float, 256>& out) {
  for (int su = 0; su < 16; ++su) {
    const float b0 = t0.b - blue[su], b1 = t1.b - blue[su];
    for (int sv = 0; sv < 16; ++sv) {
      const float r0 = t0.r - red[sv], g0 = t0.g - greenU[su] - greenV[sv];
      const float r1 = t1.r - red[sv], g1 = t1.g - greenU[su] - greenV[sv];
      const float sum0 = r0 + g0 + b0, sum1 = r1 + g1 + b1;
      out[su * 16 + sv] = 3 * (r0 * r0 + g0 * g0 + b0 * b0) - sum0 * sum0 +
                          3 * (r1 * r1 + g1 * g1 + b1 * b1) - sum1 * sum1;
    }
  }
}

}  // namespace

int dyuvLineSize(int width) {
  return width + (width & 1);
}

std::vector<DyuvStart> dyuvLineStarts(const RgbPicture& image) {
  std::vector<DyuvStart> starts;
  for (int row = 0; row < image.height; ++row) {
    const Rgb& c = image.at(0, row);
    const double y = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
    starts.push_back({clamp255(static_cast<int>(y + 0.5)),
                      clamp255(static_cast<int>(128.5 + (c.b - y) * 256 / 444)),
                      clamp255(static_cast<int>(128.5 + (c.r - y) * 256 / 351))});
  }
  return starts;
}

Bytes encodeDyuvPairs(const RgbPicture& image, const std::vector<DyuvStart>& starts) {
  const int lineSize = dyuvLineSize(image.width);
  Bytes out;
  out.reserve(static_cast<std::size_t>(lineSize) * image.height);
  std::array<float, 16> blue, greenU, red, greenV;
  std::array<float, 256> chroma;
  for (int row = 0; row < image.height; ++row) {
    DyuvStart c;
    if (!starts.empty()) c = starts[std::min<std::size_t>(row, starts.size() - 1)];
    for (int x = 0; x < lineSize; x += 2) {
      const Rgb& t0 = image.at(std::min(x, image.width - 1), row);
      const Rgb& t1 = image.at(std::min(x + 1, image.width - 1), row);
      for (int s = 0; s < 16; ++s) {
        const int u = static_cast<std::uint8_t>(c.u + dyuvytable[s]);
        const int v = static_cast<std::uint8_t>(c.v + dyuvytable[s]);
        blue[s] = static_cast<float>(blueOfU(u)), greenU[s] = static_cast<float>(greenOfU(u));
        red[s] = static_cast<float>(redOfV(v)), greenV[s] = static_cast<float>(greenOfV(v));
      }
      chromaErrors(red, greenU, greenV, blue, t0, t1, chroma);
      // The best chroma choices by that measure, then the luminance searched under each.
      std::array<int, kChromaCandidates> candidates{};
      std::array<float, kChromaCandidates> bound;
      bound.fill(std::numeric_limits<float>::max());
      for (int k = 0; k < 256; ++k) {
        if (chroma[k] >= bound.back()) continue;
        int at = kChromaCandidates - 1;
        for (; at > 0 && bound[at - 1] > chroma[k]; --at)
          bound[at] = bound[at - 1], candidates[at] = candidates[at - 1];
        bound[at] = chroma[k], candidates[at] = k;
      }
      LumaChoice best;
      int bestChroma = candidates[0];
      for (const int k : candidates) {
        const int su = k >> 4, sv = k & 15;
        const LumaChoice luma =
            searchLuma(c.y, {red[sv], greenU[su] + greenV[sv], blue[su]}, t0, t1);
        if (luma.error < best.error) best = luma, bestChroma = k;
      }
      out.push_back(static_cast<std::uint8_t>((bestChroma & 0xF0) | best.step0));
      out.push_back(static_cast<std::uint8_t>((bestChroma & 0x0F) << 4 | best.step1));
      c.u = static_cast<std::uint8_t>(c.u + dyuvytable[bestChroma >> 4]);
      c.v = static_cast<std::uint8_t>(c.v + dyuvytable[bestChroma & 15]);
      c.y = static_cast<std::uint8_t>(c.y + dyuvytable[best.step0] + dyuvytable[best.step1]);
    }
  }
  return out;
}
