#pragma once

// Encoders for the palette models: each pixel takes the nearest palette colour, then the
// model's coding of indices.
//
//   CLUT8, CLUT7 (4, 5)  one byte per pixel, the index
//   CLUT4 (6)            one byte per pixel, the index in the high nibble
//   RL7 (8)              0nnnnnnn single pixel; 1nnnnnnn kkkkkkkk run of k (0: to the row's end)
//   RL3 (9)              0nnn0000 single pixel; 1nnnkkkk run of k (0: to the row's end)

#include "imagbuilder.h"
#include "testchart.h"

// Index of the palette colour nearest to `colour` (the first of equals).
int nearestIndex(const std::vector<Rgb>& palette, Rgb colour);

// The IDAT body of `image` in palette model `model` (4, 5, 6, 8 or 9); empty for other models.
Bytes encodeIndexed(const RgbImage& image, const std::vector<Rgb>& palette, int model);
