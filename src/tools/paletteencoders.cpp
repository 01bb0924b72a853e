#include "paletteencoders.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kRl7LongestRun = 255;
constexpr int kRl3LongestRun = 15;

void appendRun(Bytes& out, int model, int index, int length, bool toRowEnd) {
  const auto n = static_cast<std::uint8_t>(index);
  if (model == 8) {
    if (length == 1 && !toRowEnd) {
      out.push_back(n);
    } else {
      out.push_back(static_cast<std::uint8_t>(0x80 | n));
      out.push_back(static_cast<std::uint8_t>(toRowEnd ? 0 : length));
    }
  } else if (length == 1 && !toRowEnd) {
    out.push_back(static_cast<std::uint8_t>(n << 4));
  } else {
    out.push_back(static_cast<std::uint8_t>(0x80 | n << 4 | (toRowEnd ? 0 : length)));
  }
}

// One row of indices as runs; the row's last run is a to-the-end run whatever its length.
void appendRunLengthRow(Bytes& out, const std::vector<int>& row, int model) {
  const int longest = model == 8 ? kRl7LongestRun : kRl3LongestRun;
  std::size_t x = 0;
  while (x < row.size()) {
    std::size_t end = x;
    while (end < row.size() && row[end] == row[x])
      ++end;
    if (end == row.size()) {
      appendRun(out, model, row[x], static_cast<int>(end - x), true);
      break;
    }
    const int length = std::min(static_cast<int>(end - x), longest);
    appendRun(out, model, row[x], length, false);
    x += static_cast<std::size_t>(length);
  }
}

}  // namespace

int nearestIndex(const std::vector<Rgb>& palette, Rgb colour) {
  int best = 0, bestDistance = std::numeric_limits<int>::max();
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const int dr = palette[i].r - colour.r, dg = palette[i].g - colour.g,
              db = palette[i].b - colour.b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) best = static_cast<int>(i), bestDistance = d;
  }
  return best;
}

Bytes encodeIndexed(const RgbImage& image, const std::vector<Rgb>& palette, int model) {
  Bytes out;
  std::vector<int> row(static_cast<std::size_t>(image.width));
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x)
      row[x] = nearestIndex(palette, image.at(x, y));
    switch (model) {
      case 4:
      case 5:
        for (const int index : row)
          out.push_back(static_cast<std::uint8_t>(index));
        break;
      case 6:
        for (const int index : row)
          out.push_back(static_cast<std::uint8_t>(index << 4));
        break;
      case 8:
      case 9:
        appendRunLengthRow(out, row, model);
        break;
      default:
        return {};
    }
  }
  return out;
}
