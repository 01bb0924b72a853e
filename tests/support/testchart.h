#pragma once

// Pictures drawn in code: the sources of the bundled sample pictures and of the encoders' tests.

#include <vector>

#include "rgbpicture.h"

// `width` x `height` pixels of pixel(x, y), called row by row from the top-left.
template <class Pixel>
RgbPicture draw(int width, int height, Pixel pixel) {
  RgbPicture image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      image.pixels.push_back(pixel(x, y));
  }
  return image;
}

// The eight colours of the bars, brightest first: white, yellow, cyan, green, magenta, red,
// blue, black.
extern const std::vector<Rgb> kBarColours;

// Colour bars over the top half; below them red, green, blue and grey ramps from dark to
// bright; at the bottom a grey step wedge and a checkerboard.
RgbPicture testChart(int width, int height);

// The bars alone, over the whole height: a chart that any eight-colour palette shows exactly.
RgbPicture colourBars(int width, int height);

// A stand-in for a photograph: soft shapes of every hue over a sky-like gradient, with fine
// grain of `grain` levels (0: perfectly smooth). The same for the same arguments.
RgbPicture photograph(int width, int height, int grain);
