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

struct Offsets {  // what U and V add to Y in red, green and blue
  int r, g, b;
};

int squaredError(int y, const Offsets& o, const Rgb& t) {
  const int dr = std::clamp(y + o.r, 0, 255) - t.r;
  const int dg = std::clamp(y + o.g, 0, 255) - t.g;
  const int db = std::clamp(y + o.b, 0, 255) - t.b;
  return dr * dr + dg * dg + db * db;
}

// Three times the error of a pixel whose Y is free to take any value: the spread of the three
// channels' residuals about their mean.
int chromaOnlyError(const Offsets& o, const Rgb& t) {
  const int r = t.r - o.r, g = t.g - o.g, b = t.b - o.b;
  const int sum = r + g + b;
  return 3 * (r * r + g * g + b * b) - sum * sum;
}

struct LumaChoice {
  int error = std::numeric_limits<int>::max();
  int step0 = 0, step1 = 0;
};

// The best pair of Y steps from `y` for the two pixels under one chroma choice.
LumaChoice searchLuma(std::uint8_t y, const Offsets& o, const Rgb& t0, const Rgb& t1) {
  std::array<int, 16> first{};
  int greedy = 0;
  for (int s = 0; s < 16; ++s) {
    first[s] = squaredError(static_cast<std::uint8_t>(y + dyuvytable[s]), o, t0);
    if (first[s] < first[greedy]) greedy = s;
  }
  LumaChoice best;
  const auto tryFirst = [&](int s0) {
    const auto y0 = static_cast<std::uint8_t>(y + dyuvytable[s0]);
    for (int s1 = 0; s1 < 16; ++s1) {
      const int error =
          first[s0] + squaredError(static_cast<std::uint8_t>(y0 + dyuvytable[s1]), o, t1);
      if (error < best.error) best = {error, s0, s1};
    }
  };
  tryFirst(greedy);  // a tight bound first, so that most other first steps are passed over
  for (int s0 = 0; s0 < 16; ++s0) {
    if (s0 != greedy && first[s0] < best.error) tryFirst(s0);
  }
  return best;
}

struct Chroma {
  int error;
  int uStep, vStep;
};

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
  for (int row = 0; row < image.height; ++row) {
    DyuvStart c;
    if (!starts.empty()) c = starts[std::min<std::size_t>(row, starts.size() - 1)];
    for (int x = 0; x < lineSize; x += 2) {
      const Rgb& t0 = image.at(std::min(x, image.width - 1), row);
      const Rgb& t1 = image.at(std::min(x + 1, image.width - 1), row);
      std::array<int, 16> blue{}, greenU{}, red{}, greenV{};
      for (int s = 0; s < 16; ++s) {
        const int u = static_cast<std::uint8_t>(c.u + dyuvytable[s]);
        const int v = static_cast<std::uint8_t>(c.v + dyuvytable[s]);
        blue[s] = blueOfU(u), greenU[s] = greenOfU(u);
        red[s] = redOfV(v), greenV[s] = greenOfV(v);
      }
      // The best chroma choices, judged with a free Y for each pixel.
      std::array<Chroma, kChromaCandidates> chroma;
      chroma.fill({std::numeric_limits<int>::max(), 0, 0});
      for (int su = 0; su < 16; ++su) {
        for (int sv = 0; sv < 16; ++sv) {
          const Offsets o{red[sv], greenU[su] + greenV[sv], blue[su]};
          const int error = chromaOnlyError(o, t0) + chromaOnlyError(o, t1);
          if (error >= chroma.back().error) continue;
          int at = kChromaCandidates - 1;
          for (; at > 0 && chroma[at - 1].error > error; --at)
            chroma[at] = chroma[at - 1];
          chroma[at] = {error, su, sv};
        }
      }
      int bestError = std::numeric_limits<int>::max();
      Chroma bestChroma = chroma[0];
      LumaChoice bestLuma;
      for (const Chroma& choice : chroma) {
        const Offsets o{red[choice.vStep], greenU[choice.uStep] + greenV[choice.vStep],
                        blue[choice.uStep]};
        const LumaChoice luma = searchLuma(c.y, o, t0, t1);
        if (luma.error < bestError) bestError = luma.error, bestChroma = choice, bestLuma = luma;
      }
      out.push_back(static_cast<std::uint8_t>(bestChroma.uStep << 4 | bestLuma.step0));
      out.push_back(static_cast<std::uint8_t>(bestChroma.vStep << 4 | bestLuma.step1));
      c.u = static_cast<std::uint8_t>(c.u + dyuvytable[bestChroma.uStep]);
      c.v = static_cast<std::uint8_t>(c.v + dyuvytable[bestChroma.vStep]);
      c.y =
          static_cast<std::uint8_t>(c.y + dyuvytable[bestLuma.step0] + dyuvytable[bestLuma.step1]);
    }
  }
  return out;
}
