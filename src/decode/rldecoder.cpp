#include <algorithm>

#include "decoders.h"
#include "palettewriter.h"

namespace {

// One code of a run-length stream: `count` pixels of palette `entry`, 0 meaning "to the end of
// the row". read() takes the code at l and moves l past it, or returns false when the code
// reaches past the end of the file.
struct Rl7Codes {
  static constexpr int kFillBlock = 16;  // pixels a run is rounded up to, mid-row
  static constexpr int kEntries = 128;   // palette entries the codes reach
  static constexpr std::int64_t kMostBytesPerCode = 2;

  static bool read(ByteView data, std::int64_t& l, unsigned& entry, std::int64_t& count) {
    if (l >= data.size()) return false;  // l only grows from 0
    const unsigned b = data[l];
    const bool run = b >= 0x80;
    if (run && l + 1 >= data.size()) return false;
    entry = b & 0x7F, count = run ? data[l + 1] : 1, l += 1 + run;
    return true;
  }
};

struct Rl3Codes {
  static constexpr int kFillBlock = 16;
  static constexpr int kEntries = 8;
  static constexpr std::int64_t kMostBytesPerCode = 1;

  static bool read(ByteView data, std::int64_t& l, unsigned& entry, std::int64_t& count) {
    if (l >= data.size()) return false;
    const unsigned b = data[l];
    entry = b >> 4 & 7, count = b < 0x80 ? 1 : b & 0x0F, l += 1;
    return true;
  }
};

// Decodes one row from code l on: codes until bpr pixels are drawn, the last run drawn whole,
// and no pixel stored at `room` or beyond. Returns false when the file ended inside the row;
// `drawn` is the pixels stored from the start.
//
// When the file holds codes enough for the whole row (each code draws at least one pixel), the
// row is sure to be completed, so a run may be stored rounded up to a block of pixels where the
// row, and the room, go on past the block: the codes that follow draw over the extra pixels.
template <class Codes>
bool decodeRunRow(ByteView data, std::int64_t& l, std::int64_t bpr, std::int64_t room,
                  const PaletteWriter& palette, std::uint8_t* row, std::int64_t& drawn) {
  const bool wholeRowInFile = data.available(l) >= bpr * Codes::kMostBytesPerCode;
  const std::int64_t roundUpTo = wholeRowInFile ? std::min(bpr, room) : 0;
  std::int64_t j = 0;
  bool complete = true;
  while (j < bpr) {
    unsigned entry = 0;
    std::int64_t count = 0;
    if (!Codes::read(data, l, entry, count)) {
      complete = false;
      break;
    }
    if (count == 0) count = bpr - j;
    if (count <= Codes::kFillBlock && j + Codes::kFillBlock <= roundUpTo) {
      palette.fillOver<Codes::kFillBlock>(row + 3 * j, 1, entry);  // one block, no loop
    } else if (j + PaletteWriter::roundedCount<Codes::kFillBlock>(count) <= roundUpTo) {
      palette.fillOver<Codes::kFillBlock>(row + 3 * j, count, entry);
    } else if (j < room) {
      palette.fill(row + 3 * j, std::min(count, room - j), entry);
    }
    j += count;
  }
  drawn = std::min(j, room);
  return complete;
}

template <class Codes>
void decodeRunLength(ByteView data, const ClassicHeader& header, const Palette& cdiplte,
                     FrameWriter& out) {
  const PaletteWriter palette(cdiplte, Codes::kEntries);
  const std::int64_t bpr = header.bpr;
  std::int64_t l = 0;  // the codes of all rows are one stream
  for (std::int64_t i = 0; i < header.h; ++i) {
    const std::int64_t room = out.room();
    if (room == 0) {  // the block is behind us: only the cursor moves on
      out.skipRows(header.h - i);
      return;
    }
    std::int64_t drawn = 0;
    const bool complete = decodeRunRow<Codes>(data, l, bpr, room, palette, out.beginRow(), drawn);
    out.endRow(drawn);
    if (!complete) {  // the file ended inside this row
      out.skipRows(header.h - i - 1);
      return;
    }
  }
}

}  // namespace

void decodeRl7(ByteView data, const ClassicHeader& header, const Palette& cdiplte,
               FrameWriter& out) {
  decodeRunLength<Rl7Codes>(data, header, cdiplte, out);
}

void decodeRl3(ByteView data, const ClassicHeader& header, const Palette& cdiplte,
               FrameWriter& out) {
  decodeRunLength<Rl3Codes>(data, header, cdiplte, out);
}
