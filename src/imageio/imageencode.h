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

// PNG compression effort, 0 (store) to 9 (try every filter strategy, keep the smallest).
inline constexpr int kMaxPngLevel = 9;
// Measured with bench/batch.sh: with the filters imageencode.cpp picks, both smaller and faster
// than zlib level 6 with adaptive filters, the converter's earlier setting.
inline constexpr int kDefaultPngLevel = 3;

// The whole file for `image`, or an empty vector with `error` set. PNG: no interlace; a picture
// of at most 256 colours is indexed (a PLTE in the order colours first appear, 1, 2, 4 or 8 bits
// a pixel), any other 8-bit RGB. PPM: binary P6 with maxval 255. `pngLevel` is 0..kMaxPngLevel.
std::vector<std::uint8_t> encodeImage(const RgbImage& image, ImageFormat format, std::string& error,
                                      int pngLevel = kDefaultPngLevel);
