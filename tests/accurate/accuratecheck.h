#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "accurate.h"
#include "imagbuilder.h"

using Pixel = std::array<std::uint8_t, 3>;  // red, green, blue
inline constexpr Pixel kBlack = {0, 0, 0};

// Red, green, blue of the pixel at (x, y).
inline Pixel pixelAt(const AccuratePicture& picture, int x, int y) {
  const std::size_t at = static_cast<std::size_t>(y) * picture.rowBytes() + 3 * std::size_t(x);
  return {picture.rgb.at(at), picture.rgb.at(at + 1), picture.rgb.at(at + 2)};
}

inline std::vector<Pixel> rowOf(const AccuratePicture& picture, int y) {
  std::vector<Pixel> row;
  for (int x = 0; x < picture.width; ++x)
    row.push_back(pixelAt(picture, x, y));
  return row;
}

// A PLTE body loading `colours` from entry `first` on.
inline Bytes plteBody(std::uint16_t first, const std::vector<Pixel>& colours) {
  Bytes body;
  appendU16(body, first);
  appendU16(body, static_cast<std::uint32_t>(colours.size()));
  for (const Pixel& c : colours)
    body.insert(body.end(), c.begin(), c.end());
  return body;
}

// Entry k of the test palettes: (k, k + 1, k + 2), so that entry 0 is not black.
inline Pixel grey(int k) {
  return {std::uint8_t(k), std::uint8_t(k + 1), std::uint8_t(k + 2)};
}
inline std::vector<Pixel> greys(int count) {
  std::vector<Pixel> colours;
  for (int k = 0; k < count; ++k)
    colours.push_back(grey(k));
  return colours;
}

inline ImagHeader header(int model, int width, int lineSize, int height) {
  return ImagHeader::of(model, width, height, lineSize);
}

// Decodes a file that must decode; the picture is empty when it did not.
inline AccuratePicture decodeOk(const Bytes& file, const AccurateOptions& options = {}) {
  AccuratePicture picture;
  const DecodeStatus status = decodeAccurate(file, options, picture);
  EXPECT_EQ(status, DecodeStatus::ok) << decodeStatusText(status);
  return picture;
}
