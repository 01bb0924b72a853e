#pragma once

// One DYUV row: n source bytes to n pixels (blue, green, red) at dst, the suppression applied.
// Two implementations that must agree to the byte: a portable one, and one that decodes 16
// pixels at a time with SSSE3 where the processor has it, for thresholds 220 and 0.

#include <cstdint>

#include "decode.h"
#include "ssse3.h"
#include "suppression.h"

struct YuvStart {
  std::uint8_t y, u, v;
};

void decodeDyuvRowPortable(const std::uint8_t* src, std::int64_t n, YuvStart start,
                           const Suppression& suppression, std::uint8_t* dst);

// The one suppression threshold in use (the viewer's and the converter's): the vector decoder
// knows only this one, and no suppression. Any other threshold takes the portable decoder.
inline constexpr int kFastDyuvThreshold = kViewerThreshold;

#ifdef PELMORA_HAVE_SSSE3
// With `suppress`, the suppression of threshold kFastDyuvThreshold; without, none (threshold 0).
void decodeDyuvRowSsse3(const std::uint8_t* src, std::int64_t n, YuvStart start, bool suppress,
                        std::uint8_t* dst);
#endif
