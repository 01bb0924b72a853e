#pragma once

// Encoders for the palette models. Pictures of palette indices are laid out in one of the two
// layouts this program decodes:
//
//                 accurate (the format's own)                 classic (the viewer's frame)
//   CLUT8 (4)     one byte per pixel, the index               the same
//   CLUT7 (5)     one byte per pixel, the index               the same
//   CLUT4 (6)     hhhh llll: two pixels, the left one high    one byte per pixel, index in hhhh
//   CLUT3 (7)     as CLUT4                                    not shown by the frame
//   RL7 (8)       0nnnnnnn single pixel; 1nnnnnnn kkkkkkkk run of k (0: to the line's end)
//   RL3 (9)       0aaa0bbb pair a, b;                         0nnn0000 single pixel;
//                 1aaa0bbb kkkkkkkk k pairs (0: to the end)   1nnnkkkk run of k (0: to the end)
//
// Every line ends with a to-the-end run in the run-length models, so both decodings start the
// next line where the encoder did.

#include <cstdint>
#include <vector>

#include "imagbuilder.h"
#include "rgbpicture.h"

enum class PictureLayout { accurate, classic };

struct IndexPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;  // rows top to bottom; each below the model's capacity
};

// The palette entries a model reaches: 256, 128, 16, 8, 128 or 8; 0 for other models.
int paletteCapacity(int model);

// The IHDR line size of a palette model in a layout: bytes per line, or for the run-length
// models (whose lines take as many bytes as their codes) pixels per line, as the classic
// decoding reads it.
int indexLineSize(int model, int width, PictureLayout layout);

// How the pairs of RL3 in the format's own layout end a line: with a to-the-end run, or with
// runs counted to the last pixel (another stream for the same picture).
enum class LineEnds { toTheEnd, counted };

// The IDAT body of `picture` in palette model `model` (4 to 9) laid out as `layout` says; empty
// for other models and for CLUT3 in the classic layout.
Bytes encodeIndices(const IndexPicture& picture, int model, PictureLayout layout,
                    LineEnds ends = LineEnds::toTheEnd);

// Index of the palette colour nearest to `colour` (the first of equals).
int nearestIndex(const std::vector<Rgb>& palette, Rgb colour);

// `image` with every pixel taken to its nearest palette colour, in the classic layout of model
// 4, 5, 6, 8 or 9; empty for other models.
Bytes encodeIndexed(const RgbPicture& image, const std::vector<Rgb>& palette, int model);
