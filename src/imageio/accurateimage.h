#pragma once

#include <cstdint>
#include <span>

#include "accurate.h"
#include "frameimage.h"

struct AccurateConversion {
  bool aspect = false;       // widen normal-resolution pictures to the screen's pixel aspect
  bool interpolate = false;  // DYUV chroma interpolation
  int picture = 0;           // which picture of a CAT (0: the first)
};

// Picture how.picture of `file` decoded in the accurate profile, at its own size (or widened to
// twice its width when it has normal-resolution pixels and `aspect` is asked for). `complete`
// tells whether the data reached every pixel. On failure `image` is empty.
DecodeStatus accurateImage(std::span<const std::uint8_t> file, const AccurateConversion& how,
                           RgbImage& image, bool& complete);
