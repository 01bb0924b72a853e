// The models stored line by line, each line `line size` bytes from the last: RGB888, RGB555 and
// the colour-lookup models.

#include <algorithm>

#include "accuratemodels.h"

namespace {

// Runs decodeLine(bytes of line y, line writer) for every line, where the bytes are the line's
// `line size` bytes of data, cut where the data ends. The data reached every pixel when each
// line held at least bytesFor(width) bytes.
template <class BytesFor, class DecodeLine>
bool forEachLine(ByteView data, const AccurateHeader& header, PictureWriter& out, BytesFor bytesFor,
                 DecodeLine decodeLine) {
  const std::int64_t lineSize = header.lineSize;
  const std::int64_t needed = bytesFor(out.width());
  bool complete = needed <= lineSize;
  for (int y = 0; y < out.height(); ++y) {
    const ByteView bytes = sliceOf(data, y * lineSize, lineSize);
    if (bytes.size() < needed) complete = false;
    LineWriter line = out.line(y);
    decodeLine(bytes, line);
  }
  return complete;
}

std::int64_t oneAByte(std::int64_t width) {
  return width;
}
std::int64_t threeAPixel(std::int64_t width) {
  return 3 * width;
}
std::int64_t twoAByte(std::int64_t width) {
  return (width + 1) / 2;
}

}  // namespace

bool decodeRgb888(ByteView idat, const AccurateHeader& header, PictureWriter& out) {
  return forEachLine(idat, header, out, threeAPixel, [](ByteView bytes, LineWriter& line) {
    for (std::int64_t at = 0; at + 3 <= bytes.size() && !line.full(); at += 3) {
      line.put({bytes[at], bytes[at + 1], bytes[at + 2]});
    }
  });
}

// RGB555 keeps the upper byte of every pixel in a first portion of height x line size bytes and
// the lower byte in a second one of the same shape; a line's pixels pair its bytes of both.
bool decodeRgb555(ByteView idat, const AccurateHeader& header, PictureWriter& out) {
  const std::int64_t portion = std::int64_t{header.height} * header.lineSize;
  const ByteView upper = sliceOf(idat, 0, portion);
  const ByteView lower = sliceOf(idat, portion, portion);
  const auto widen = [](unsigned five) { return static_cast<std::uint8_t>(five << 3); };
  int y = 0;
  const bool upperComplete =
      forEachLine(upper, header, out, oneAByte, [&](ByteView high, LineWriter& line) {
        const ByteView low = sliceOf(lower, y++ * std::int64_t{header.lineSize}, header.lineSize);
        const std::int64_t n = std::min(high.size(), low.size());
        for (std::int64_t x = 0; x < n && !line.full(); ++x) {
          const unsigned pixel = unsigned{high[x]} << 8 | low[x];
          line.put({widen(pixel >> 10 & 31), widen(pixel >> 5 & 31), widen(pixel & 31)});
        }
      });
  return upperComplete && lower.size() == portion;
}

bool decodeClutLines(ByteView idat, const AccurateHeader& header, const AccuratePalette& palette,
                     PictureWriter& out) {
  switch (header.model) {
    case 4:  // CLUT8
    case 5:  // CLUT7
    {
      const std::uint8_t mask = header.model == 4 ? 0xFF : 0x7F;
      return forEachLine(idat, header, out, oneAByte, [&](ByteView bytes, LineWriter& line) {
        for (std::int64_t x = 0; x < bytes.size() && !line.full(); ++x) {
          line.put(palette[bytes[x] & mask]);
        }
      });
    }
    default:  // 6 CLUT4, 7 CLUT3: two pixels a byte, the high nibble first
    {
      const std::uint8_t mask = header.model == 6 ? 0x0F : 0x07;
      return forEachLine(idat, header, out, twoAByte, [&](ByteView bytes, LineWriter& line) {
        for (std::int64_t x = 0; x < bytes.size() && !line.full(); ++x) {
          line.put(palette[(bytes[x] >> 4) & mask]);
          line.put(palette[bytes[x] & mask]);
        }
      });
    }
  }
}
