#include <array>
#include <bit>
#include <cstring>

#include "decoders.h"
#include "dyuvrow.h"
#include "rowloop.h"

namespace {

static_assert(std::endian::native == std::endian::little,
              "pixels are stored as little-endian words");

inline std::uint32_t toBgr(YuvStart c, const Suppression& suppression) {
  const unsigned blue = static_cast<std::uint8_t>(c.y + c.u - 128);
  const unsigned red = static_cast<std::uint8_t>(c.y + c.v - 128);
  return suppression.apply(blue | unsigned{c.y} << 8 | red << 16, blue, c.y, red);
}

}  // namespace

// All but the last pixel are stored as 4 bytes, the fourth landing on the next pixel's first
// byte, which that pixel then overwrites.
void decodeDyuvRowPortable(const std::uint8_t* src, std::int64_t n, YuvStart c,
                           const Suppression& suppression, std::uint8_t* dst) {
  std::int64_t j = 0;
  for (; j + 2 < n; j += 2) {  // pairs whose second pixel is not the row's last
    c.y = static_cast<std::uint8_t>(c.y + dyuvytable[src[j] & 15]);
    c.u = static_cast<std::uint8_t>(c.u + dyuvytable[src[j] >> 4]);
    const std::uint32_t even = toBgr(c, suppression);
    c.y = static_cast<std::uint8_t>(c.y + dyuvytable[src[j + 1] & 15]);
    c.v = static_cast<std::uint8_t>(c.v + dyuvytable[src[j + 1] >> 4]);
    const std::uint32_t odd = toBgr(c, suppression);
    std::memcpy(dst + 3 * j, &even, 4);
    std::memcpy(dst + 3 * j + 3, &odd, 4);
  }
  for (; j < n; ++j) {  // the last one or two pixels: exactly 3 bytes each
    c.y = static_cast<std::uint8_t>(c.y + dyuvytable[src[j] & 15]);
    std::uint8_t& chroma = (j & 1) ? c.v : c.u;
    chroma = static_cast<std::uint8_t>(chroma + dyuvytable[src[j] >> 4]);
    const std::uint32_t pixel = toBgr(c, suppression);
    std::memcpy(dst + 3 * j, &pixel, 3);  // little-endian: blue, green, red
  }
}

void decodeDyuv(ByteView data, const ClassicHeader& header, int threshold, FrameWriter& out) {
  const YuvStart start{header.ystrt, header.ustrt, header.vstrt};
#ifdef PELMORA_HAVE_SSSE3
  static const bool ssse3 = processorHasSsse3();
  if (ssse3 && (threshold == kFastDyuvThreshold || threshold == 0)) {
    forEachByteRow(data, header, out,
                   [&](const std::uint8_t* src, std::int64_t n, std::uint8_t* dst) {
                     decodeDyuvRowSsse3(src, n, start, threshold != 0, dst);
                   });
    return;
  }
#endif
  const Suppression suppression(threshold);
  forEachByteRow(data, header, out,
                 [&](const std::uint8_t* src, std::int64_t n, std::uint8_t* dst) {
                   decodeDyuvRowPortable(src, n, start, suppression, dst);
                 });
}
