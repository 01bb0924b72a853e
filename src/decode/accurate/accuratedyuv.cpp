// DYUV in the accurate profile: pairs of bytes sharing one U and one V, and a clamped YUV matrix.

#include <algorithm>

#include "accuratemodels.h"
#include "decoders.h"  // dyuvytable: the delta table is the format's, shared with the classic decoding

namespace {

std::uint8_t clamp255(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// The matrix of the format; divisions truncate toward zero, so it is symmetric about 128.
Rgb8 toRgb(int y, int u, int v) {
  const int du = u - 128, dv = v - 128;
  return {clamp255(y + 351 * dv / 256), clamp255(y - 86 * du / 256 - 179 * dv / 256),
          clamp255(y + 444 * du / 256)};
}

std::uint8_t step(std::uint8_t value, unsigned nibble) {
  return static_cast<std::uint8_t>(value + dyuvytable[nibble & 15]);
}

void decodeLine(ByteView bytes, Yuv8 start, bool interpolate, LineWriter& line) {
  Yuv8 c = start;
  for (std::int64_t at = 0; at < bytes.size() && !line.full(); at += 2) {
    const std::uint8_t prevU = c.u, prevV = c.v;
    const std::uint8_t first = bytes[at];
    c.u = step(c.u, first >> 4);
    const std::uint8_t y0 = step(c.y, first);
    c.y = y0;
    const bool pair = at + 1 < bytes.size();
    if (pair) c.v = step(c.v, bytes[at + 1] >> 4);
    if (interpolate) {  // the mean of the two pairs' chroma, taken in int: no 8-bit wrap
      line.put(toRgb(y0, (prevU + c.u) / 2, (prevV + c.v) / 2));
    } else {
      line.put(toRgb(y0, c.u, c.v));
    }
    if (!pair) break;
    c.y = step(c.y, bytes[at + 1]);
    line.put(toRgb(c.y, c.u, c.v));
  }
}

}  // namespace

bool decodeDyuvLines(ByteView idat, const AccurateHeader& header, const LineStarts& starts,
                     bool interpolateChroma, PictureWriter& out) {
  const std::int64_t lineSize = header.lineSize;
  const std::int64_t needed = out.width();  // a byte a pixel
  bool complete = needed <= lineSize;
  const Yuv8 fixed{header.y, header.u, header.v};
  for (int y = 0; y < out.height(); ++y) {
    const ByteView bytes = sliceOf(idat, y * lineSize, lineSize);
    if (bytes.size() < needed) complete = false;
    const bool perLine = header.dyuvKind == 1 && static_cast<std::size_t>(y) < starts.size();
    LineWriter line = out.line(y);
    decodeLine(bytes, perLine ? starts[static_cast<std::size_t>(y)] : fixed, interpolateChroma,
               line);
  }
  return complete;
}
