#include "rl3codings.h"

#include <algorithm>

#include "byteview.h"

namespace {

// The pixels of the code at `at` for a line with `left` pixels to fill, moving `at` past it;
// -1 when the code reaches past the end of the data.
std::int64_t codePixels(ByteView data, std::int64_t& at, std::int64_t left, Rl3Coding coding) {
  if (!data.has(at, 1)) return -1;
  const std::uint8_t code = data[at++];
  const bool run = code >= 0x80;
  if (coding == Rl3Coding::classic) {
    const int count = run ? code & 0x0F : 1;
    return count == 0 ? left : count;
  }
  if (!run) return 2;
  if (!data.has(at, 1)) return -1;
  const std::uint8_t count = data[at++];
  return count == 0 ? left : 2 * std::int64_t{count};
}

}  // namespace

Rl3Fit rl3Fit(std::span<const std::uint8_t> bytes, int width, int height, Rl3Coding coding) {
  const ByteView data(bytes);
  // A pair code always draws two pixels, so an odd line ends one pixel over.
  const std::int64_t over = coding == Rl3Coding::pairs && width % 2 == 1 ? 1 : 0;
  bool tidy = true;
  std::int64_t at = 0;
  for (int y = 0; y < height; ++y) {
    std::int64_t x = 0;
    while (x < width) {
      const std::int64_t pixels = codePixels(data, at, width - x, coding);
      if (pixels < 0) return Rl3Fit::endsEarly;
      x += pixels;
    }
    tidy = tidy && x <= width + over;
  }
  tidy =
      tidy && std::all_of(bytes.begin() + at, bytes.end(), [](std::uint8_t b) { return b == 0; });
  return tidy ? Rl3Fit::clean : Rl3Fit::untidy;
}
