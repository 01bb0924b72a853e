#pragma once

// Pictures like the menu art of real discs, drawn straight in palette indices: gradients dithered
// onto ramps of 30 to 50 entries, buttons with anti-aliased captions, line art, small photographs
// in bevelled frames, and 16-colour icons. The same for the same seed.

#include <cstdint>
#include <vector>

#include "imagbuilder.h"
#include "paletteencoders.h"

struct PalettePicture {
  IndexPicture indices;
  std::vector<Rgb> palette;
};

enum class Dither { ordered, diffused };

// A 384 x 280 menu screen with a palette of `entries` (100 to 128) colours: a dithered backdrop,
// buttons with captions, line art, and with `photograph` a framed photograph dithered onto a
// 64-colour cube.
PalettePicture menuScreen(std::uint32_t seed, Dither dither, bool photograph, int entries);

// A `size` x `size` icon of 16 colours: a shaded disc or box with an outline, anti-aliased.
PalettePicture icon(std::uint32_t seed, int size);
