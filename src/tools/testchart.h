#pragma once

// Test charts drawn in code, the sources of the bundled sample pictures.

#include <cstdint>
#include <vector>

#include "imagbuilder.h"

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // rows top to bottom

  const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The eight colours of the bars, brightest first: white, yellow, cyan, green, magenta, red,
// blue, black.
extern const std::vector<Rgb> kBarColours;

// Colour bars over the top half; below them red, green, blue and grey ramps from dark to
// bright; at the bottom a grey step wedge and a checkerboard.
RgbImage testChart(int width, int height);

// The bars alone, over the whole height: a chart that any eight-colour palette shows exactly.
RgbImage colourBars(int width, int height);
