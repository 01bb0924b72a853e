#pragma once

// A DYUV (model 3) encoder: for every pixel it picks the pair of delta-table steps whose decoded
// colour lies closest to the target, so the picture follows the chart as closely as the
// one-step-per-pixel deltas allow.

#include "imagbuilder.h"
#include "rgbpicture.h"

struct DyuvStart {
  std::uint8_t y = 16, u = 128, v = 128;  // every row starts from these values
};

// The IDAT body: one byte per pixel, rows of image.width bytes. `threshold` is the colour-artefact
// suppression the picture will be shown with (the viewer's is 220); the encoder decodes each
// candidate the way the viewer will, suppression included.
Bytes encodeDyuv(const RgbPicture& image, DyuvStart start, int threshold);
