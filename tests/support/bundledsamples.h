#pragma once

// The bundled sample pictures (samples/*.imag): one per picture model, each a test chart drawn in
// code and encoded by this project. To add a sample, add a row to the table in bundledsamples.cpp.

#include <string>
#include <vector>

#include "imagbuilder.h"

struct SamplePicture {
  std::string fileName;  // under samples/
  Bytes bytes;           // the whole CD-i IFF file
};

// Every sample, in the order of the table. The output depends on nothing but this code.
std::vector<SamplePicture> bundledSamples();
