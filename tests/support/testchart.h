#pragma once

// Test charts drawn in code, the sources of the bundled sample pictures.

#include <vector>

#include "rgbpicture.h"

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
