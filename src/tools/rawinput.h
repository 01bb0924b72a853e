#pragma once

// imag2png --raw: headerless picture data, as disc rippers pull it out of real-time files,
// decoded as the accurate profile decodes a picture with that data in its IDAT.
//
//   --raw MODEL:WIDTHxHEIGHT   the model (dyuv, rgb555, rgb888, clut8, clut7, clut4, clut3, rl7,
//                              rl3) and size; lines are the model's natural size (WIDTH bytes,
//                              3 x WIDTH for RGB888, half of WIDTH for CLUT4 and CLUT3)
//   --palette FILE             RGB triplets (at most 256), or a CD-i IFF file whose PLTE chunks
//                              load the palette; without it, entries are greys from black to white
//   --start Y,U,V              where DYUV lines start (16,128,128 without it)

#include <string>

#include "frameimage.h"
#include "realtime.h"

struct RawOptions {
  std::string shape;    // MODEL:WIDTHxHEIGHT; empty without --raw
  std::string palette;  // --palette FILE
  std::string start;    // --start Y,U,V

  bool active() const { return !shape.empty(); }
  // Takes the value of --raw, --palette or --start; false for other options.
  bool take(const std::string& option, const std::string& value);
};

// "" when the options make sense together (`otherProfile`: --accurate, --crop, --scan or --info
// was given too; `scanning`: --scan or --info, where --palette colours real-time pictures),
// else what is wrong, for a usage error.
std::string checkRawOptions(const RawOptions& options, bool otherProfile, bool scanning);

// The PLTE chunk bodies that a palette file loads: the PLTE chunks of a CD-i IFF file, or one
// holding a file of RGB triplets (at most 256). "" or why the file is no palette.
std::string readPaletteChunks(const std::string& path, PaletteChunks& chunks);

// Decodes the data in the file at `input`; returns "" or the reason it cannot. `complete` tells
// whether the data reached every pixel (the rest is black).
std::string rawImage(const std::string& input, const RawOptions& options, RgbImage& image,
                     bool& complete);
