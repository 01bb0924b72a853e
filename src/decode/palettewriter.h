#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "decoders.h"

static_assert(std::endian::native == std::endian::little,
              "pixels are stored as little-endian words");

// The palette as frame pixels, built once per chunk: entry n as the word 0x00RRGGBB (in memory:
// blue, green, red, 0), and as sixteen pixels of entry n in a row (48 bytes), so that runs are
// stored sixteen pixels at a time.
class PaletteWriter {
 public:
  // runEntries: how many entries (from 0) runs are drawn in, with fill() and fillOver(); the
  // run patterns are built for those only, since a model reaches few of them (RL3: 8).
  explicit PaletteWriter(const Palette& cdiplte, int runEntries = 0) {
    for (int n = 0; n < kPaletteEntries; ++n) {
      bgr_[n] = std::uint32_t{cdiplte[3 * n + 2]} | std::uint32_t{cdiplte[3 * n + 1]} << 8 |
                std::uint32_t{cdiplte[3 * n]} << 16;
    }
    for (int n = 0; n < runEntries && n < kPaletteEntries; ++n) {
      // Three words of 8 pixels, each written twice.
      const std::uint64_t p = bgr_[n];
      const std::uint64_t words[3] = {p | p << 24 | p << 48, p >> 16 | p << 8 | p << 32 | p << 56,
                                      p >> 8 | p << 16 | p << 40};
      std::memcpy(sixteen_[n].data(), words, 24);
      std::memcpy(sixteen_[n].data() + 24, words, 24);
    }
  }

  // Exactly `count` (>= 1) pixels of entry n (below runEntries) from dst on.
  void fill(std::uint8_t* dst, std::int64_t count, unsigned n) const {
    std::int64_t j = 0;
    for (; j + 16 <= count; j += 16)
      std::memcpy(dst + 3 * j, sixteen_[n].data(), 48);
    std::memcpy(dst + 3 * j, sixteen_[n].data(), static_cast<std::size_t>(3 * (count - j)));
  }

  // `count` (>= 1) pixels of entry n rounded up to a multiple of kBlock pixels (16 or 32): the
  // caller makes sure that the extra pixels are drawn over afterwards. Runs up to kBlock pixels
  // long take no branch on their length.
  template <int kBlock>
  static std::int64_t roundedCount(std::int64_t count) {
    return (count + kBlock - 1) & ~std::int64_t{kBlock - 1};
  }
  template <int kBlock>
  void fillOver(std::uint8_t* dst, std::int64_t count, unsigned n) const {
    static_assert(kBlock == 16 || kBlock == 32);
    std::int64_t j = 0;
    do {
      std::memcpy(dst + 3 * j, sixteen_[n].data(), 48);
      if constexpr (kBlock == 32) std::memcpy(dst + 3 * j + 48, sixteen_[n].data(), 48);
      j += kBlock;
    } while (j < count);
  }

  // `count` pixels, one per source byte, of entry src[j] >> shift. All but the last pixel are
  // stored as 4 bytes, the fourth landing on the next pixel's first byte, which it overwrites.
  // Eight indices are read as one word.
  void map(std::uint8_t* dst, const std::uint8_t* src, std::int64_t count, int shift) const {
    std::int64_t j = 0;
    for (; j + 9 <= count; j += 8) {
      std::uint64_t indices;
      std::memcpy(&indices, src + j, 8);
      for (int k = 0; k < 8; ++k, indices >>= 8) {
        std::memcpy(dst + 3 * (j + k), &bgr_[(indices & 0xFF) >> shift], 4);
      }
    }
    for (; j + 1 < count; ++j)
      std::memcpy(dst + 3 * j, &bgr_[src[j] >> shift], 4);
    std::memcpy(dst + 3 * (count - 1), &bgr_[src[count - 1] >> shift], 3);
  }

 private:
  std::array<std::uint32_t, kPaletteEntries> bgr_{};
  std::array<std::array<std::uint8_t, 48>, kPaletteEntries> sixteen_{};
};
