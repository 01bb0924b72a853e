#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frameimage.h"

enum class ImageFormat { png, ppm };

// Builds without a PNG library (the Windows one: none is packaged for mingw-w64) write PPM only;
// asking them for PNG is an error that says so, and their default is PPM.
#ifdef PELMORA_NO_PNG
inline constexpr bool kCanWritePng = false;
#else
inline constexpr bool kCanWritePng = true;
#endif
inline constexpr ImageFormat kDefaultFormat = kCanWritePng ? ImageFormat::png : ImageFormat::ppm;

// The whole file for `image`, or an empty vector with `error` set. PNG: 8-bit RGB, no
// interlace. PPM: binary P6 with maxval 255.
std::vector<std::uint8_t> encodeImage(const RgbImage& image, ImageFormat format,
                                      std::string& error);
