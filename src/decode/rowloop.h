#pragma once

#include <algorithm>
#include <cstdint>

#include "decoders.h"

// The row walk of the models whose rows are bpr bytes back to back (DYUV, CLUT8/7, CLUT4):
// for each of the h rows, decodeRow(src, n, dst) turns n source bytes into n pixels at dst, with
// n cut to the pixels that fit in the block and the bytes left in the file. The bounds are checked
// here once per row, so decodeRow writes freely. Stops the chunk where the file ends.
template <class DecodeRow>
void forEachByteRow(ByteView data, const ClassicHeader& header, FrameWriter& out,
                    DecodeRow decodeRow) {
  const std::int64_t bpr = header.bpr;
  for (std::int64_t i = 0; i < header.h; ++i) {
    const std::int64_t room = out.room();
    if (room == 0) {  // the block is behind us: only the cursor moves on
      out.skipRows(header.h - i);
      return;
    }
    const std::int64_t at = i * bpr;
    const std::int64_t have = data.available(at);
    const std::int64_t n = std::min({bpr, room, have});
    if (n > 0) decodeRow(data.data() + at, n, out.beginRow());
    out.endRow(n);
    if (have < bpr) {  // the file ended inside this row
      out.skipRows(header.h - i - 1);
      return;
    }
  }
}
