#pragma once

// The accurate-profile sample pictures in samples/accurate/: one per pixel model, drawn and
// encoded by this project, and a few containers that only the accurate profile reads right.

#include <string>
#include <vector>

#include "imagbuilder.h"

struct AccurateSample {
  std::string name;  // file name in samples/accurate/
  Bytes bytes;
};

std::vector<AccurateSample> accurateSamples();
