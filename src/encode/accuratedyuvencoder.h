#pragma once

// A DYUV (model 3) encoder for the format's own layout, the one the accurate decoding reads:
// pairs of bytes  uuuu yyyy | vvvv yyyy, both pixels of a pair showing the pair's U and V, and
// the clamped YUV matrix. For every pair it searches the quantised steps for the choice whose
// decoded pair lies closest to the target in RGB: first the chroma steps (all 256 pairs of U and
// V steps, each judged with the best luminance it allows), then, for the best chroma choices,
// the luminance steps of both pixels together.

#include <vector>

#include "dyuvencoder.h"
#include "imagbuilder.h"
#include "rgbpicture.h"

// Line size of a DYUV picture of `width` pixels: whole pairs, so an odd line gets a last byte
// for the pixel that is not shown.
int dyuvLineSize(int width);

// The start values of each line: the Y, U and V of the line's first pixel, so that a line need
// not climb to its colours from a fixed start.
std::vector<DyuvStart> dyuvLineStarts(const RgbPicture& image);

// The IDAT body: image.height lines of dyuvLineSize(image.width) bytes, line y starting from
// starts[y] (or from the last entry when `starts` is shorter; 16, 128, 128 when it is empty).
Bytes encodeDyuvPairs(const RgbPicture& image, const std::vector<DyuvStart>& starts);
