#include "accurateview.h"

#include <algorithm>
#include <cstdint>

ViewSize fitWithin(int width, int height, int areaWidth, int areaHeight) {
  if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return {};
  if (width <= areaWidth && height <= areaHeight) return {width, height};
  // Scale by the tighter of the two ratios; 64-bit products, as 65535 x 65535 overflows int.
  const std::int64_t w = width, h = height;
  ViewSize size;
  if (w * areaHeight > h * areaWidth) {  // width limits
    size.width = areaWidth;
    size.height = static_cast<int>(h * areaWidth / w);
  } else {
    size.height = areaHeight;
    size.width = static_cast<int>(w * areaHeight / h);
  }
  size.width = std::max(size.width, 1);
  size.height = std::max(size.height, 1);
  return size;
}
