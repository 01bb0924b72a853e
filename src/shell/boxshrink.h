#pragma once

// A picture made smaller by a whole divisor: each divisor x divisor box of 24-bit pixels becomes
// one pixel, the average of the box, so that a large picture shown small keeps its fine detail as
// shades rather than dropping rows and columns.

#include <cstddef>
#include <cstdint>
#include <vector>

struct ShrunkPicture {
  std::vector<std::uint8_t> pixels;  // rows of width * 3 bytes, the channel order of the source
  int width = 0, height = 0;
};

// `pixels` holds height rows of width 3-byte pixels, rows `pitch` bytes apart. The result is
// ceil(width / divisor) x ceil(height / divisor); a box cut by the right or bottom edge averages
// the pixels it holds. Nothing for an empty picture or a divisor below 1.
ShrunkPicture boxShrink(const std::uint8_t* pixels, int width, int height, std::size_t pitch,
                        int divisor);
