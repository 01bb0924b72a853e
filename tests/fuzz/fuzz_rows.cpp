// Fuzz entry point that holds the SSSE3 row decoders to the portable ones, byte for byte: DYUV
// with any start values, suppressed at 220 or not, and CLUT4 with any palette. Each output row ends
// against an inaccessible page, so neither may write past its n pixels.
//
// Input: selector (odd: suppression on), Y, U, V start values, 48 bytes of palette (16
// entries), then the row's source bytes.

#include <cstring>

#include "clutrow.h"
#include "dyuvrow.h"
#include "fence.h"
#include "palettewriter.h"

constexpr std::size_t kPrefix = 4 + 48;
constexpr std::size_t kLongestRow = 1 << 16;  // bpr is 16 bits

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#ifdef PELMORA_HAVE_SSSE3
  static const bool ssse3 = processorHasSsse3();
  static FencedBuffer source(kLongestRow), portable(3 * kLongestRow), simd(3 * kLongestRow);
  if (!ssse3 || size < kPrefix || size - kPrefix > kLongestRow) return 0;
  const auto n = static_cast<std::int64_t>(size - kPrefix);
  if (n == 0) return 0;
  const std::uint8_t* src = source.holding(data + kPrefix, size - kPrefix);
  const std::size_t bytes = 3 * static_cast<std::size_t>(n);
  std::uint8_t* a = portable.last(bytes);
  std::uint8_t* b = simd.last(bytes);

  const bool suppress = data[0] & 1;  // the vector decoder's two thresholds
  const YuvStart start{data[1], data[2], data[3]};
  std::memset(a, 0x11, bytes);
  std::memset(b, 0x22, bytes);
  decodeDyuvRowPortable(src, n, start, Suppression(suppress ? kFastDyuvThreshold : 0), a);
  decodeDyuvRowSsse3(src, n, start, suppress, b);
  if (std::memcmp(a, b, bytes) != 0) fail("DYUV rows differ between SSSE3 and portable");

  Palette palette{};
  std::memcpy(palette.data(), data + 4, 48);
  std::memset(a, 0x11, bytes);
  std::memset(b, 0x22, bytes);
  PaletteWriter(palette).map(a, src, n, 4);
  decodeClut4RowSsse3(src, n, Clut4Planes(palette), b);
  if (std::memcmp(a, b, bytes) != 0) fail("CLUT4 rows differ between SSSE3 and portable");
#else
  (void)data, (void)size;
#endif
  return 0;
}
