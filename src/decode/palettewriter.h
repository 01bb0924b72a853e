#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "decoders.h"

static_assert(std::endian::native == std::endian::little,
              "pixels are stored as little-endian words");

// The palette as frame pixels: entry n as the word 0x00RRGGBB, whose first three bytes in memory
// are blue, green, red. Built once per chunk so that a pixel costs one load and one store.
class PaletteWriter {
 public:
  explicit PaletteWriter(const Palette& cdiplte) {
    for (int n = 0; n < kPaletteEntries; ++n) {
      bgr_[n] = std::uint32_t{cdiplte[3 * n + 2]} | std::uint32_t{cdiplte[3 * n + 1]} << 8 |
                std::uint32_t{cdiplte[3 * n]} << 16;
    }
  }

  // Writes `count` (>= 1) pixels of entry n from dst on: all but the last as 4-byte stores whose
  // fourth byte the next pixel overwrites, the last as exactly 3 bytes.
  void fill(std::uint8_t* dst, std::int64_t count, unsigned n) const {
    const std::uint32_t pixel = bgr_[n];
    for (std::int64_t j = 0; j + 1 < count; ++j)
      std::memcpy(dst + 3 * j, &pixel, 4);
    std::memcpy(dst + 3 * (count - 1), &pixel, 3);
  }

  // Writes count (>= 1) pixels, one per source byte, entry src[j] >> shift.
  void map(std::uint8_t* dst, const std::uint8_t* src, std::int64_t count, int shift) const {
    for (std::int64_t j = 0; j + 1 < count; ++j)
      std::memcpy(dst + 3 * j, &bgr_[src[j] >> shift], 4);
    std::memcpy(dst + 3 * (count - 1), &bgr_[src[count - 1] >> shift], 3);
  }

 private:
  std::array<std::uint32_t, kPaletteEntries> bgr_{};
};
