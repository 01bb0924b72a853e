#pragma once

// The pixel models of the accurate profile (accurate.h shows each one's bytes). Every decoder
// reads only its IDAT body, writes only through the PictureWriter, and returns whether the data
// reached every pixel of the picture.

#include <array>
#include <cstdint>
#include <vector>

#include "accuratepixels.h"

// The IHDR chunk, all fields widened without sign.
struct AccurateHeader {
  int width = 0;
  int lineSize = 0;
  int height = 0;
  int model = 0;
  int depth = 0;
  int dyuvKind = 0;
  std::uint8_t y = 0, u = 0, v = 0;
};

using AccuratePalette = std::array<Rgb8, 256>;

// YUVS: the start values of each line; lines it does not reach start at the IHDR values.
struct Yuv8 {
  std::uint8_t y = 0, u = 0, v = 0;
};
using LineStarts = std::vector<Yuv8>;

bool decodeRgb888(ByteView idat, const AccurateHeader& header, PictureWriter& out);
bool decodeRgb555(ByteView idat, const AccurateHeader& header, PictureWriter& out);
bool decodeDyuvLines(ByteView idat, const AccurateHeader& header, const LineStarts& starts,
                     bool interpolateChroma, PictureWriter& out);
// CLUT8, CLUT7, CLUT4 and CLUT3, told apart by header.model.
bool decodeClutLines(ByteView idat, const AccurateHeader& header, const AccuratePalette& palette,
                     PictureWriter& out);
bool decodeRunLength7(ByteView idat, const AccuratePalette& palette, PictureWriter& out);
bool decodeRunLength3(ByteView idat, const AccuratePalette& palette, PictureWriter& out);
