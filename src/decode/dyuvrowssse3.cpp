#include "dyuvrow.h"

#ifdef PELMORA_HAVE_SSSE3

#include <algorithm>
#include <cstring>

#include "decoders.h"
#include "ssse3.h"

namespace {

// One comparison of every byte with a threshold, as masks of 0xFF or 0x00. Thresholds outside
// the byte range make the answer the same for every byte (`always` or never).
struct ByteTest {
  __m128i bound;   // threshold with the sign bit flipped, for a signed compare
  __m128i use;     // all ones when the compare decides
  __m128i always;  // all ones when every byte passes
};

// v < limit
ByteTest below(std::int64_t limit) {
  if (limit <= 0) return {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
  if (limit > 255) return {_mm_setzero_si128(), _mm_setzero_si128(), _mm_set1_epi8(-1)};
  return {_mm_set1_epi8(static_cast<char>(limit ^ 0x80)), _mm_set1_epi8(-1), _mm_setzero_si128()};
}

// v > limit
ByteTest above(std::int64_t limit) {
  if (limit < 0) return {_mm_setzero_si128(), _mm_setzero_si128(), _mm_set1_epi8(-1)};
  if (limit >= 255) return {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
  return {_mm_set1_epi8(static_cast<char>(limit ^ 0x80)), _mm_set1_epi8(-1), _mm_setzero_si128()};
}

inline __m128i flip(__m128i v) {
  return _mm_xor_si128(v, _mm_set1_epi8(static_cast<char>(0x80)));
}

// The tests take bytes with the sign bit flipped (flip()), compared as signed bytes.
inline __m128i isBelow(__m128i flipped, const ByteTest& t) {
  return _mm_or_si128(_mm_and_si128(_mm_cmplt_epi8(flipped, t.bound), t.use), t.always);
}
inline __m128i isAbove(__m128i flipped, const ByteTest& t) {
  return _mm_or_si128(_mm_and_si128(_mm_cmpgt_epi8(flipped, t.bound), t.use), t.always);
}
// mask ? a : b
inline __m128i select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

struct Rules {
  bool on;     // threshold not 0
  bool plain;  // every test is a plain compare, and a channel set to 0 is dark and not bright
  ByteTest dark, bright, brightBlue;
  __m128i zeroDark, zeroBright;  // the classes of a channel set to 0
};

Rules rulesFor(int t) {
  const std::int64_t bright = t, brightBlue = std::int64_t{t} - 20, dark = 255 - std::int64_t{t};
  // With T from 20 to 234 (220 among them) all three thresholds lie inside the byte range.
  const bool plain = brightBlue >= 0 && bright < 255 && dark >= 1 && dark <= 255;
  return {t != 0,
          plain,
          below(dark),
          above(bright),
          above(brightBlue),
          _mm_set1_epi8(0 < dark ? -1 : 0),
          _mm_set1_epi8(0 > bright ? -1 : 0)};
}

// The four rules on 16 pixels at once, each rule seeing what the ones before it changed.
template <bool kPlain>
inline void suppress(__m128i& b, __m128i& g, __m128i& r, const Rules& rules) {
  const auto below = [&](__m128i flipped) {
    return kPlain ? _mm_cmplt_epi8(flipped, rules.dark.bound) : isBelow(flipped, rules.dark);
  };
  const auto above = [&](__m128i flipped, const ByteTest& test) {
    return kPlain ? _mm_cmpgt_epi8(flipped, test.bound) : isAbove(flipped, test);
  };
  // A channel that a rule sets to 0 takes the classes of 0: dark, not bright, when plain.
  const auto zeroed = [&](__m128i rule, __m128i zeroClass, __m128i old) {
    if constexpr (kPlain) return _mm_or_si128(old, _mm_and_si128(rule, zeroClass));
    return select(rule, zeroClass, old);
  };
  const auto notBright = [&](__m128i rule, __m128i old) {
    if constexpr (kPlain) return _mm_andnot_si128(rule, old);
    return select(rule, rules.zeroBright, old);
  };
  const __m128i fb = flip(b), fg = flip(g), fr = flip(r);
  __m128i bDark = below(fb), gDark = below(fg);
  const __m128i rDark = below(fr);
  __m128i bBright = above(fb, rules.bright), rBright = above(fr, rules.bright);
  const __m128i gBright = above(fg, rules.bright);
  const __m128i rule1 = _mm_and_si128(_mm_and_si128(above(fb, rules.brightBlue), gDark), rDark);
  b = _mm_andnot_si128(rule1, b);
  bDark = zeroed(rule1, rules.zeroDark, bDark);
  bBright = notBright(rule1, bBright);
  const __m128i rule2 = _mm_and_si128(_mm_and_si128(gBright, rDark), bDark);
  g = _mm_andnot_si128(rule2, g);
  gDark = zeroed(rule2, rules.zeroDark, gDark);
  const __m128i rule3 = _mm_and_si128(_mm_and_si128(rBright, bDark), gDark);
  r = _mm_andnot_si128(rule3, r);
  rBright = notBright(rule3, rBright);
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

template <int kSuppression>  // 0: off, 1: plain compares, 2: any threshold
PELMORA_SSSE3 void decodeRow(const std::uint8_t* src, std::int64_t n, YuvStart start,
                             const Rules& rules, std::uint8_t* dst) {
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
    if constexpr (kSuppression != 0) suppress<kSuppression == 1>(blue, green, red, rules);
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
                                      int threshold, std::uint8_t* dst) {
  const Rules rules = rulesFor(threshold);
  if (!rules.on) {
    decodeRow<0>(src, n, start, rules, dst);
  } else if (rules.plain) {
    decodeRow<1>(src, n, start, rules, dst);
  } else {
    decodeRow<2>(src, n, start, rules, dst);
  }
}

#endif
