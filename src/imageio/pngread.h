#pragma once

#include <string>
#include <vector>

#include "rgbpicture.h"

struct PngPicture {
  RgbPicture picture;        // every PNG format as 8-bit RGB; transparency is dropped
  std::vector<Rgb> palette;  // an indexed PNG's palette, in its order; empty for the others
  bool indexed = false;
};

// Reads the PNG file at `path` (up to 64 Mpixels). Returns "" or the reason it cannot.
std::string readPng(const std::string& path, PngPicture& out);
