#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frameimage.h"

enum class ImageFormat { png, ppm };

// The whole file for `image`, or an empty vector with `error` set. PNG: 8-bit RGB, no
// interlace. PPM: binary P6 with maxval 255.
std::vector<std::uint8_t> encodeImage(const RgbImage& image, ImageFormat format,
                                      std::string& error);
