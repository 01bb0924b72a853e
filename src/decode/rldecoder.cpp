#include <algorithm>

#include "decoders.h"
#include "palettewriter.h"

namespace {

// One code of a run-length stream: `count` pixels of palette `entry`, 0 meaning "to the end of
// the row". read() takes the code at l and moves l past it, or returns false when the code
// reaches past the end of the file.
struct Rl7Codes {
  static constexpr std::int64_t kLongestRun = 255;
  static constexpr int kFillBlock = 16;  // pixels a run is rounded up to, mid-row
  static constexpr int kEntries = 128;   // palette entries the codes reach
  static constexpr std::int64_t kMostBytesPerCode = 2;

  template <bool kChecked>
  static bool read(ByteView data, std::int64_t& l, unsigned& entry, std::int64_t& count) {
    if (kChecked && !data.has(l, 1)) return false;
    const unsigned b = data[l];
    const bool run = b >= 0x80;
    if (kChecked && run && !data.has(l + 1, 1)) return false;
    // Unchecked, the byte after a code is always inside the file (see decodeRunRow), so the
    // count can be read whether or not it is one, without a branch.
    const unsigned next = kChecked && !run ? 1 : data[l + 1];
    entry = b & 0x7F, count = run ? next : 1, l += 1 + run;
    return true;
  }
};

struct Rl3Codes {
  static constexpr std::int64_t kLongestRun = 15;
  static constexpr int kFillBlock = 16;
  static constexpr int kEntries = 8;
  static constexpr std::int64_t kMostBytesPerCode = 1;

  template <bool kChecked>
  static bool read(ByteView data, std::int64_t& l, unsigned& entry, std::int64_t& count) {
    if (kChecked && !data.has(l, 1)) return false;
    const unsigned b = data[l];
    entry = b >> 4 & 7, count = b < 0x80 ? 1 : b & 0x0F, l += 1;
    return true;
  }
};

// Decodes one row from code l on: codes until bpr pixels are drawn, the last run drawn whole.
// Unchecked (kChecked false) only when the caller made sure that the longest row the codes can
// make fits in `room` and that the longest row's codes, and one byte more, lie inside the file:
// then the row is sure to be completed, and a run may be drawn rounded up to a block of pixels
// where the row goes on past them, since the codes that follow draw over the extra pixels. Returns
// false when the file ended inside the row; `drawn` is the pixels stored from the start.
template <class Codes, bool kChecked>
bool decodeRunRow(ByteView data, std::int64_t& l, std::int64_t bpr, std::int64_t room,
                  const PaletteWriter& palette, std::uint8_t* row, std::int64_t& drawn) {
  std::int64_t j = 0;
  bool complete = true;
  while (j < bpr) {
    unsigned entry = 0;
    std::int64_t count = 0;
    if (!Codes::template read<kChecked>(data, l, entry, count)) {
      complete = false;
      break;
    }
    if (count == 0) count = bpr - j;
    if constexpr (kChecked) {
      const std::int64_t to = std::min(j + count, room);
      if (j < to) palette.fill(row + 3 * j, to - j, entry);
    } else if (Codes::kLongestRun <= Codes::kFillBlock && count <= Codes::kFillBlock &&
               j + Codes::kFillBlock <= bpr) {
      // A counted run of RL3 always fits one block: no branch on its length at all.
      palette.fillOver<Codes::kFillBlock>(row + 3 * j, 1, entry);
    } else if (j + PaletteWriter::roundedCount<Codes::kFillBlock>(count) <= bpr) {
      // the row's later codes draw over the excess
      palette.fillOver<Codes::kFillBlock>(row + 3 * j, count, entry);
    } else {
      palette.fill(row + 3 * j, count, entry);
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
    // A row ends at the first code that brings it to bpr pixels, so it draws at most
    // bpr - 1 + kLongestRun pixels from at most bpr codes.
    const bool roomy =
        room >= bpr - 1 + Codes::kLongestRun && data.available(l) >= bpr * Codes::kMostBytesPerCode;
    std::int64_t drawn = 0;
    const bool complete =
        roomy ? decodeRunRow<Codes, false>(data, l, bpr, room, palette, out.beginRow(), drawn)
              : decodeRunRow<Codes, true>(data, l, bpr, room, palette, out.beginRow(), drawn);
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
