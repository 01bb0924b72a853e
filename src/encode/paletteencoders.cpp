#include "paletteencoders.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kRl7LongestRun = 255;
constexpr int kClassicRl3LongestRun = 15;
constexpr int kRl3LongestPairRun = 255;

// One code of the classic RL7/RL3 streams (RL7 is the same in both layouts).
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

// Runs of equal values in `row`, each at most `longest` long; the row's last run is a
// to-the-end run whatever its length, unless `ends` asks for counted runs to the last.
// put(value, length, toRowEnd) writes one.
template <class T, class Put>
void forEachRun(const std::vector<T>& row, int longest, Put put,
                LineEnds ends = LineEnds::toTheEnd) {
  std::size_t x = 0;
  while (x < row.size()) {
    std::size_t end = x;
    while (end < row.size() && row[end] == row[x])
      ++end;
    if (end == row.size() && ends == LineEnds::toTheEnd) {
      put(row[x], static_cast<int>(end - x), true);
      return;
    }
    const int length = std::min(static_cast<int>(end - x), longest);
    put(row[x], length, false);
    x += static_cast<std::size_t>(length);
  }
}

void appendRunLengthRow(Bytes& out, const std::vector<int>& row, int model) {
  const int longest = model == 8 ? kRl7LongestRun : kClassicRl3LongestRun;
  forEachRun(row, longest, [&](int index, int length, bool toRowEnd) {
    appendRun(out, model, index, length, toRowEnd);
  });
}

// RL3 as the format has it: pairs of 3-bit indices (an odd line's last pair repeats its pixel).
void appendPairRow(Bytes& out, const std::vector<int>& row, LineEnds ends) {
  std::vector<int> pairs;
  for (std::size_t x = 0; x < row.size(); x += 2) {
    const int right = x + 1 < row.size() ? row[x + 1] : row[x];
    pairs.push_back((row[x] & 7) << 4 | (right & 7));
  }
  forEachRun(
      pairs, kRl3LongestPairRun,
      [&](int pair, int length, bool toRowEnd) {
        if (length == 1 && !toRowEnd) {
          out.push_back(static_cast<std::uint8_t>(pair));
        } else {
          out.push_back(static_cast<std::uint8_t>(0x80 | pair));
          out.push_back(static_cast<std::uint8_t>(toRowEnd ? 0 : length));
        }
      },
      ends);
}

void appendRow(Bytes& out, const std::vector<int>& row, int model, PictureLayout layout,
               LineEnds ends) {
  const bool classic = layout == PictureLayout::classic;
  switch (model) {
    case 4:
    case 5:
      for (const int index : row)
        out.push_back(static_cast<std::uint8_t>(index));
      break;
    case 6:
    case 7:
      if (classic) {
        for (const int index : row)
          out.push_back(static_cast<std::uint8_t>(index << 4));
      } else {
        for (std::size_t x = 0; x < row.size(); x += 2) {
          const int right = x + 1 < row.size() ? row[x + 1] : 0;
          out.push_back(static_cast<std::uint8_t>((row[x] & 15) << 4 | (right & 15)));
        }
      }
      break;
    case 8:
      appendRunLengthRow(out, row, model);
      break;
    case 9:
      if (classic)
        appendRunLengthRow(out, row, model);
      else
        appendPairRow(out, row, ends);
      break;
    default:
      break;
  }
}

bool encodable(int model, PictureLayout layout) {
  return paletteCapacity(model) != 0 && !(model == 7 && layout == PictureLayout::classic);
}

}  // namespace

int paletteCapacity(int model) {
  switch (model) {
    case 4:
      return 256;
    case 5:
    case 8:
      return 128;
    case 6:
      return 16;
    case 7:
    case 9:
      return 8;
    default:
      return 0;
  }
}

int indexLineSize(int model, int width, PictureLayout layout) {
  if ((model == 6 || model == 7) && layout == PictureLayout::accurate) return (width + 1) / 2;
  return width;
}

Bytes encodeIndices(const IndexPicture& picture, int model, PictureLayout layout, LineEnds ends) {
  Bytes out;
  if (!encodable(model, layout)) return out;
  std::vector<int> row(static_cast<std::size_t>(picture.width));
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x)
      row[x] = picture.indices[static_cast<std::size_t>(y) * picture.width + x];
    appendRow(out, row, model, layout, ends);
  }
  return out;
}

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

Bytes encodeIndexed(const RgbPicture& image, const std::vector<Rgb>& palette, int model) {
  if (model == 7) return {};
  IndexPicture picture{image.width, image.height, {}};
  picture.indices.reserve(image.pixels.size());
  for (const Rgb& colour : image.pixels)
    picture.indices.push_back(static_cast<std::uint8_t>(nearestIndex(palette, colour)));
  return encodeIndices(picture, model, PictureLayout::classic);
}
