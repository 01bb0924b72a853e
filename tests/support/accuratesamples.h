#pragma once

// The accurate-profile sample pictures in samples/accurate/: one per pixel model, and a few
// containers that only the accurate profile reads right. Built byte by byte (RGB555 by the
// encoder), so the committed files can be checked against this code.

#include <string>
#include <vector>

#include "imagbuilder.h"

struct AccurateSample {
  std::string name;  // file name in samples/accurate/
  Bytes bytes;
  int width = 0;  // what the accurate profile decodes it to
  int height = 0;
};

std::vector<AccurateSample> accurateSamples();
