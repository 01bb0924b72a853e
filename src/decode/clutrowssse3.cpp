#include "clutrow.h"

#ifdef PELMORA_HAVE_SSSE3

#include <algorithm>
#include <cstring>

Clut4Planes::Clut4Planes(const Palette& cdiplte) {
  for (int entry = 0; entry < 16; ++entry) {
    blue[entry] = cdiplte[3 * entry + 2];
    green[entry] = cdiplte[3 * entry + 1];
    red[entry] = cdiplte[3 * entry];
  }
}

PELMORA_SSSE3 void decodeClut4RowSsse3(const std::uint8_t* src, std::int64_t n,
                                       const Clut4Planes& planes, std::uint8_t* dst) {
  const __m128i blue = _mm_load_si128(reinterpret_cast<const __m128i*>(planes.blue));
  const __m128i green = _mm_load_si128(reinterpret_cast<const __m128i*>(planes.green));
  const __m128i red = _mm_load_si128(reinterpret_cast<const __m128i*>(planes.red));
  const __m128i lowNibble = _mm_set1_epi8(0x0F);
  for (std::int64_t j = 0; j < n; j += 16) {
    const std::int64_t count = std::min<std::int64_t>(16, n - j);
    alignas(16) std::uint8_t last[16] = {};
    if (count < 16) std::memcpy(last, src + j, static_cast<std::size_t>(count));
    const __m128i bytes = count == 16 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + j))
                                      : _mm_load_si128(reinterpret_cast<const __m128i*>(last));
    const __m128i entries = _mm_and_si128(_mm_srli_epi16(bytes, 4), lowNibble);
    const __m128i b = _mm_shuffle_epi8(blue, entries), g = _mm_shuffle_epi8(green, entries),
                  r = _mm_shuffle_epi8(red, entries);
    if (count == 16) {
      ssse3::store48(dst + 3 * j, b, g, r);
    } else {  // the row's tail: never write past its pixels
      std::uint8_t pixels[48];
      ssse3::store48(pixels, b, g, r);
      std::memcpy(dst + 3 * j, pixels, static_cast<std::size_t>(3 * count));
    }
  }
}

#endif
