#include "boxshrink.h"

#include <algorithm>

ShrunkPicture boxShrink(const std::uint8_t* pixels, int width, int height, std::size_t pitch,
                        int divisor) {
  ShrunkPicture out;
  if (pixels == nullptr || width <= 0 || height <= 0 || divisor < 1) return out;
  out.width = (width - 1) / divisor + 1;
  out.height = (height - 1) / divisor + 1;
  const std::size_t rowBytes = static_cast<std::size_t>(out.width) * 3;
  out.pixels.resize(rowBytes * static_cast<std::size_t>(out.height));
  // Sums of one row of boxes; a box holds at most 65536 x 65536 bytes of 255: 64 bits.
  std::vector<std::uint64_t> sums(rowBytes);
  for (int boxY = 0; boxY < out.height; ++boxY) {
    std::fill(sums.begin(), sums.end(), 0);
    const int firstRow = boxY * divisor, lastRow = std::min(firstRow + divisor, height);
    for (int y = firstRow; y < lastRow; ++y) {
      const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * pitch;
      for (int x = 0; x < width; ++x) {
        std::uint64_t* sum = &sums[static_cast<std::size_t>(x / divisor) * 3];
        sum[0] += row[x * 3], sum[1] += row[x * 3 + 1], sum[2] += row[x * 3 + 2];
      }
    }
    std::uint8_t* to = out.pixels.data() + static_cast<std::size_t>(boxY) * rowBytes;
    for (int boxX = 0; boxX < out.width; ++boxX) {
      const int columns = std::min(divisor, width - boxX * divisor);
      const std::uint64_t count = static_cast<std::uint64_t>(columns) * (lastRow - firstRow);
      for (int c = 0; c < 3; ++c) {
        const std::size_t at = static_cast<std::size_t>(boxX) * 3 + c;
        to[at] = static_cast<std::uint8_t>((sums[at] + count / 2) / count);  // rounded
      }
    }
  }
  return out;
}
