#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "decode.h"
#include "imagbuilder.h"

inline constexpr std::uint8_t kUnwritten = 0xAB;
inline constexpr std::size_t kGuardBytes = 4096;

// A frame the size of the viewer's, filled with a marker so that tests see what was written, and
// followed by guard bytes that no decode may touch.
struct DecodedFrame {
  DecodeStatus status = DecodeStatus::ok;
  FrameCoverage coverage;
  std::vector<std::uint8_t> bytes =
      std::vector<std::uint8_t>(kFrameBytes + kGuardBytes, kUnwritten);

  bool guardIntact() const {
    return std::all_of(bytes.begin() + kFrameBytes, bytes.end(),
                       [](std::uint8_t b) { return b == kUnwritten; });
  }

  // Blue, green, red of the pixel at (x, y); x may run past 383 into the rows below.
  std::array<std::uint8_t, 3> pixel(int x, int y) const {
    const std::size_t at =
        static_cast<std::size_t>(y) * kFramePitch + 3 * static_cast<std::size_t>(x);
    return {bytes[at], bytes[at + 1], bytes[at + 2]};
  }
};

inline DecodedFrame decodeBytes(std::span<const std::uint8_t> file, int threshold = 220) {
  DecodedFrame frame;
  frame.status =
      decodeImageMemory(file, std::span<std::uint8_t, kFrameBytes>(frame.bytes.data(), kFrameBytes),
                        threshold, &frame.coverage);
  return frame;
}

using Bgr = std::array<std::uint8_t, 3>;

// What the viewer shows of `file`: red, green, blue rows of the frame's top-left width x height.
inline Bytes viewerRgb(const Bytes& file, int width = kFrameWidth, int height = kFrameHeight,
                       int threshold = 220) {
  const DecodedFrame frame = decodeBytes(file, threshold);
  Bytes rgb;
  for (int i = 0; i < width * height; ++i) {
    const auto p = frame.pixel(i % width, i / width);
    rgb.insert(rgb.end(), {p[2], p[1], p[0]});
  }
  return rgb;
}

// Entry n is (n, n, n) for n < count, so that a pixel shows which entry it got.
inline std::vector<Rgb> greyRamp(int count = 256) {
  std::vector<Rgb> palette;
  for (int n = 0; n < count; ++n)
    palette.push_back(
        {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n)});
  return palette;
}

// A CLUT8 picture of width x height in `colours` colours, none of them black. Pixel i takes entry
// i mod `colours`, or when `scrambled` one of no simple pattern, so that its PNG is large (tens
// of kilobytes for a full frame).
inline Bytes colourfulPicture(int width = kFrameWidth, int height = kFrameHeight, int colours = 256,
                              bool scrambled = true) {
  std::vector<Rgb> palette;
  for (int n = 0; n < 256; ++n)
    palette.push_back({static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(255 - n), 7});
  Bytes data(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<std::uint8_t>((scrambled ? i * 2654435761u >> 13 : i) % colours);
  return ImagBuilder::form()
      .plte(palette)
      .ihdr(ImagHeader::of(4, width, height))
      .idat(data)
      .bytes();
}
