// RL7 and RL3: one stream of codes through all lines. A line ends with `width` pixels or with an
// end-of-line run; a run is cut at the line's end, never carried into the next line.

#include "accuratemodels.h"

namespace {

// Decodes the lines one after the other while decodeCode(stream, line) finds codes; returns
// whether every line was filled (a line ended by an end-of-line run counts as filled).
template <class DecodeCode>
bool forEachRunLine(ByteView idat, PictureWriter& out, DecodeCode decodeCode) {
  ByteStream stream(idat);
  for (int y = 0; y < out.height(); ++y) {
    LineWriter line = out.line(y);
    while (!line.full()) {
      if (!decodeCode(stream, line)) return false;  // the stream ended: the rest stays black
    }
  }
  return true;
}

}  // namespace

bool decodeRunLength7(ByteView idat, const AccuratePalette& palette, PictureWriter& out) {
  return forEachRunLine(idat, out, [&](ByteStream& stream, LineWriter& line) {
    const auto code = stream.next();
    if (!code) return false;
    const Rgb8 colour = palette[*code & 0x7F];
    if (!(*code & 0x80)) {
      line.put(colour);
      return true;
    }
    const auto count = stream.next();
    if (!count) return false;
    line.repeat(colour, *count == 0 ? line.left() : *count);
    return true;
  });
}

bool decodeRunLength3(ByteView idat, const AccuratePalette& palette, PictureWriter& out) {
  return forEachRunLine(idat, out, [&](ByteStream& stream, LineWriter& line) {
    const auto code = stream.next();
    if (!code) return false;
    const Rgb8 a = palette[(*code >> 4) & 7], b = palette[*code & 7];
    std::int64_t pairs = 1;
    if (*code & 0x80) {
      const auto count = stream.next();
      if (!count) return false;
      pairs = *count == 0 ? (line.left() + 1) / 2 : *count;
    }
    for (; pairs > 0 && !line.full(); --pairs) {
      line.put(a);
      line.put(b);
    }
    return true;
  });
}
