#pragma once

// The pictures the viewer is shown under Wine: every row and column of the frame different (so
// a flipped, shifted or colour-swapped paint shows), a DYUV picture that needs the viewer's
// colour-artefact threshold, a small one that leaves most of the frame black, and a file of
// another IFF type.

#include <vector>

#include "bundledsamples.h"

std::vector<SamplePicture> windowsSamples();
