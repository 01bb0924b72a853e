#pragma once

// What the SSSE3 row decoders share: the processor check, and storing 16 pixels held as a blue,
// a green and a red vector. x86 only; elsewhere the portable decoders run.

#if defined(__x86_64__) || defined(__i386__)
#define PELMORA_HAVE_SSSE3 1

#include <tmmintrin.h>

#include <array>
#include <cstdint>

#define PELMORA_SSSE3 __attribute__((target("ssse3")))

bool processorHasSsse3();

namespace ssse3 {

// Shuffle masks that interleave 16 blue, 16 green and 16 red bytes into 48 bytes of pixels:
// kInterleave[k][c] moves channel c's bytes into output bytes 16k .. 16k + 15.
using InterleaveMasks = std::array<std::array<std::array<std::int8_t, 16>, 3>, 3>;
constexpr InterleaveMasks interleaveMasks() {
  InterleaveMasks masks{};
  for (int k = 0; k < 3; ++k) {
    for (int c = 0; c < 3; ++c) {
      for (int t = 0; t < 16; ++t) {
        const int at = 16 * k + t;
        masks[k][c][t] = static_cast<std::int8_t>(at % 3 == c ? at / 3 : -128);
      }
    }
  }
  return masks;
}
alignas(16) inline constexpr InterleaveMasks kInterleave = interleaveMasks();

PELMORA_SSSE3 inline __m128i mask(int k, int c) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(kInterleave[k][c].data()));
}

// Stores 16 pixels (48 bytes) at dst.
PELMORA_SSSE3 inline void store48(std::uint8_t* dst, __m128i b, __m128i g, __m128i r) {
  for (int k = 0; k < 3; ++k) {
    const __m128i out =
        _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, mask(k, 0)), _mm_shuffle_epi8(g, mask(k, 1))),
                     _mm_shuffle_epi8(r, mask(k, 2)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16 * k), out);
  }
}

}  // namespace ssse3

#endif
