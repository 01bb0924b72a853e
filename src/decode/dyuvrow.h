#pragma once

// One DYUV row: n source bytes to n pixels (blue, green, red) at dst, the suppression applied.
// Two implementations that must agree to the byte: a portable one, and one that decodes 16
// pixels at a time with SSSE3 where the processor has it.

#include <cstdint>

#include "ssse3.h"
#include "suppression.h"

struct YuvStart {
  std::uint8_t y, u, v;
};

void decodeDyuvRowPortable(const std::uint8_t* src, std::int64_t n, YuvStart start,
                           const Suppression& suppression, std::uint8_t* dst);

#ifdef PELMORA_HAVE_SSSE3
// threshold as for suppressArtefacts; 0 turns the suppression off.
void decodeDyuvRowSsse3(const std::uint8_t* src, std::int64_t n, YuvStart start, int threshold,
                        std::uint8_t* dst);
#endif
