#pragma once

// Small CD-i pictures that between them reach every decoder path: each model, both containers,
// several IDAT chunks, rows that run on or overshoot, the block's end, and broken chunks.
// They seed the fuzzer and feed the truncation sweeps.

#include <string>
#include <vector>

#include "imagbuilder.h"

struct Sample {
  std::string name;
  Bytes file;
  bool wellFormed;  // a complete, sensible picture (not built to be broken)
};

std::vector<Sample> samplePictures();

// count bytes 0, step, 2 * step, ... (mod 256).
Bytes ramp(int count, int step);
