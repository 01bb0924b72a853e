#pragma once

// Whole CD-i pictures from RGB pictures: a FORM IMAG with IHDR, a PLTE for the palette models
// (loading from entry 0), YUVS for the line starts of DYUV in the format's layout, and IDAT, in the
// layout of the format (the accurate decoding's) or of the viewer's classic frame. Odd chunks get
// their pad byte; palettes get an even number of entries, so that the classic chunk walk, which
// knows no pad bytes, never meets one before the IDAT.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imagbuilder.h"
#include "paletteencoders.h"
#include "rgbpicture.h"

// A model as the command line names it ("dyuv", "clut4", ...) and as IHDR numbers it.
struct ModelInfo {
  const char* name;
  int model;
  int depth;  // bits per pixel, as IHDR states it
};

// The model named `name` (in lower case), or nothing.
std::optional<ModelInfo> modelNamed(std::string_view name);

// The names of all models, "dyuv|rgb555|...", for messages.
std::string modelNames();

struct EncodedPicture {
  Bytes file;         // the whole FORM; empty on failure
  std::string error;  // why, on failure
};

// `image` as a picture of `model`. The palette models take the image's colours exactly: when
// `palette` (the source's own palette) is given and every colour used is one of its first
// entries the model reaches, those entries keep their numbers; otherwise the colours used are
// numbered in the order of `palette`, or of their values without one. More colours than the
// model holds is an error that says how many there are.
// What is made is decoded before it is returned: a file that does not show the whole image in
// the profile of its layout (the accurate picture complete at its size, or every line of the
// classic frame) is an error, never a result.
EncodedPicture encodePicture(const RgbPicture& image, const std::vector<Rgb>* palette,
                             const ModelInfo& model, PictureLayout layout);
