#include "dyuvrow.h"

#ifdef PELMORA_HAVE_SSSE3

#include <algorithm>
#include <cstring>

#include "decoders.h"
#include "ssse3.h"

namespace {

// The viewer's threshold, 220, compared as signed bytes after flipping the sign bit: dark is
// v < 35, bright v > 220, bright blue v > 200. A channel the rules set to 0 is dark, not bright.
constexpr int kDark = 255 - kFastDyuvThreshold, kBright = kFastDyuvThreshold,
              kBrightBlue = kFastDyuvThreshold - 20;

inline __m128i flip(__m128i v) {
  return _mm_xor_si128(v, _mm_set1_epi8(static_cast<char>(0x80)));
}
inline __m128i flipped(int limit) {
  return _mm_set1_epi8(static_cast<char>(limit ^ 0x80));
}

// The four rules on 16 pixels at once, each rule seeing what the ones before it changed.
inline void suppress(__m128i& b, __m128i& g, __m128i& r) {
  const __m128i dark = flipped(kDark), bright = flipped(kBright);
  const __m128i fb = flip(b), fg = flip(g), fr = flip(r);
  __m128i bDark = _mm_cmplt_epi8(fb, dark), gDark = _mm_cmplt_epi8(fg, dark);
  const __m128i rDark = _mm_cmplt_epi8(fr, dark);
  __m128i bBright = _mm_cmpgt_epi8(fb, bright), rBright = _mm_cmpgt_epi8(fr, bright);
  const __m128i gBright = _mm_cmpgt_epi8(fg, bright);
  const __m128i rule1 =
      _mm_and_si128(_mm_and_si128(_mm_cmpgt_epi8(fb, flipped(kBrightBlue)), gDark), rDark);
  b = _mm_andnot_si128(rule1, b);
  bDark = _mm_or_si128(bDark, rule1);
  bBright = _mm_andnot_si128(rule1, bBright);
  const __m128i rule2 = _mm_and_si128(_mm_and_si128(gBright, rDark), bDark);
  g = _mm_andnot_si128(rule2, g);
  gDark = _mm_or_si128(gDark, rule2);
  const __m128i rule3 = _mm_and_si128(_mm_and_si128(rBright, bDark), gDark);
  r = _mm_andnot_si128(rule3, r);
  rBright = _mm_andnot_si128(rule3, rBright);
  const __m128i rule4 = _mm_and_si128(_mm_and_si128(bBright, rBright), gDark);
  b = _mm_andnot_si128(rule4, b);
  r = _mm_andnot_si128(rule4, r);
}

// Running sums of 16 bytes, modulo 256.
inline __m128i prefixSum(__m128i d) {
  d = _mm_add_epi8(d, _mm_slli_si128(d, 1));
  d = _mm_add_epi8(d, _mm_slli_si128(d, 2));
  d = _mm_add_epi8(d, _mm_slli_si128(d, 4));
  return _mm_add_epi8(d, _mm_slli_si128(d, 8));
}

// Running sums of the even bytes and, apart, of the odd bytes: U steps stand on even pixels and
// V steps on odd ones, so one pass sums both.
inline __m128i pairedPrefixSum(__m128i d) {
  d = _mm_add_epi8(d, _mm_slli_si128(d, 2));
  d = _mm_add_epi8(d, _mm_slli_si128(d, 4));
  return _mm_add_epi8(d, _mm_slli_si128(d, 8));
}

PELMORA_SSSE3 inline __m128i everywhere(__m128i v, char lane) {
  return _mm_shuffle_epi8(v, _mm_set1_epi8(lane));
}

template <bool kSuppress>
PELMORA_SSSE3 void decodeRow(const std::uint8_t* src, std::int64_t n, YuvStart start,
                             std::uint8_t* dst) {
  const __m128i table = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dyuvytable.data()));
  const __m128i lowNibble = _mm_set1_epi8(0x0F);
  const __m128i evenPixels = _mm_set1_epi16(0x00FF);
  const __m128i half = _mm_set1_epi8(static_cast<char>(0x80));  // -128 modulo 256
  const __m128i evenToPairs = _mm_setr_epi8(0, 0, 2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14);
  const __m128i lastPair =
      _mm_setr_epi8(14, 15, 14, 15, 14, 15, 14, 15, 14, 15, 14, 15, 14, 15, 14, 15);
  __m128i y = _mm_set1_epi8(static_cast<char>(start.y));
  // U and V as they stand before the block: U in the even bytes, V in the odd ones.
  __m128i uv = _mm_unpacklo_epi8(_mm_set1_epi8(static_cast<char>(start.u)),
                                 _mm_set1_epi8(static_cast<char>(start.v)));
  for (std::int64_t j = 0; j < n; j += 16) {
    const std::int64_t count = std::min<std::int64_t>(16, n - j);
    alignas(16) std::uint8_t last[16] = {};
    __m128i bytes;
    if (count == 16) {
      bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + j));
    } else {  // the row's tail: never read past its bytes
      std::memcpy(last, src + j, static_cast<std::size_t>(count));
      bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(last));
    }
    const __m128i yStep = _mm_shuffle_epi8(table, _mm_and_si128(bytes, lowNibble));
    const __m128i cStep =
        _mm_shuffle_epi8(table, _mm_and_si128(_mm_srli_epi16(bytes, 4), lowNibble));
    y = _mm_add_epi8(y, prefixSum(yStep));
    // sums: U after each even pixel's step (even bytes), V after each odd pixel's (odd bytes).
    const __m128i sums = _mm_add_epi8(uv, pairedPrefixSum(cStep));
    // An even pixel sees its own U and the V the odd pixel before it left (for the first, V from
    // before the block); an odd pixel its own V and the U before it.
    const __m128i u = _mm_shuffle_epi8(sums, evenToPairs);
    const __m128i vBefore = _mm_alignr_epi8(sums, uv, 15);
    const __m128i v =
        _mm_or_si128(_mm_andnot_si128(evenPixels, sums), _mm_and_si128(evenPixels, vBefore));
    __m128i blue = _mm_add_epi8(_mm_add_epi8(y, u), half);
    __m128i green = y;
    __m128i red = _mm_add_epi8(_mm_add_epi8(y, v), half);
    if constexpr (kSuppress) suppress(blue, green, red);
    if (count == 16) {
      ssse3::store48(dst + 3 * j, blue, green, red);
    } else {
      std::uint8_t pixels[48];
      ssse3::store48(pixels, blue, green, red);
      std::memcpy(dst + 3 * j, pixels, static_cast<std::size_t>(3 * count));
    }
    y = everywhere(y, 15);
    uv = _mm_shuffle_epi8(sums, lastPair);
  }
}

}  // namespace

PELMORA_SSSE3 void decodeDyuvRowSsse3(const std::uint8_t* src, std::int64_t n, YuvStart start,
                                      bool suppress, std::uint8_t* dst) {
  if (suppress) {
    decodeRow<true>(src, n, start, dst);
  } else {
    decodeRow<false>(src, n, start, dst);
  }
}

#endif
