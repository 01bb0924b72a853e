#pragma once

// One CLUT4 row with SSSE3: 16 pixels at a time, each byte's high nibble looked up in the
// palette's first 16 entries held as a blue, a green and a red vector.

#include <cstdint>

#include "decoders.h"
#include "ssse3.h"

#ifdef PELMORA_HAVE_SSSE3
// Blue, green and red of entries 0..15, built once per chunk.
struct Clut4Planes {
  explicit Clut4Planes(const Palette& cdiplte);
  alignas(16) std::uint8_t blue[16], green[16], red[16];
};

void decodeClut4RowSsse3(const std::uint8_t* src, std::int64_t n, const Clut4Planes& planes,
                         std::uint8_t* dst);
#endif
