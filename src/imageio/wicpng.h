#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frameimage.h"

// `image` as a PNG file (8-bit RGB, no interlace), encoded by the Windows Imaging Component; an
// empty vector with `error` set when it cannot be. Windows builds only.
std::vector<std::uint8_t> encodePngWithWic(const RgbImage& image, std::string& error);
