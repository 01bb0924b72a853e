#pragma once

// A picture as the converter writes it: in the profile chosen for it (profile.h), with what to
// tell the user about it.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "accurateimage.h"
#include "profile.h"

struct ProfiledImage {
  RgbImage image;
  ProfileChoice choice;
  std::vector<std::string> warnings;  // one reason each (picturewarnings.h)
};

// Picture how.picture of `file` in the profile `mode` chooses for it: the accurate picture (as
// accurateImage makes it), or the 384 x 280 classic frame, cut to the part the picture covered
// when `crop` is asked. Fails with the decoders' reasons, and with noPicture for a crop of a
// frame that nothing was drawn on; `out.choice` is set either way.
DecodeStatus profiledImage(std::span<const std::uint8_t> file, ProfileMode mode,
                           const AccurateConversion& how, bool crop, ProfiledImage& out);
