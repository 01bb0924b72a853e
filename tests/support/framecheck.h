#pragma once

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
    for (std::size_t i = kFrameBytes; i < bytes.size(); ++i) {
      if (bytes[i] != kUnwritten) return false;
    }
    return true;
  }

  // Blue, green, red of the pixel at (x, y); x may run past 383 into the rows below.
  std::array<std::uint8_t, 3> pixel(int x, int y) const {
    const std::size_t at =
        static_cast<std::size_t>(y) * kFramePitch + 3 * static_cast<std::size_t>(x);
    return {bytes[at], bytes[at + 1], bytes[at + 2]};
  }
};

inline DecodedFrame decodeBytes(const Bytes& file, int threshold = 220) {
  DecodedFrame frame;
  frame.status =
      decodeImageMemory(file, std::span<std::uint8_t, kFrameBytes>(frame.bytes.data(), kFrameBytes),
                        threshold, &frame.coverage);
  return frame;
}

using Bgr = std::array<std::uint8_t, 3>;

// A CLUT8 picture of width x height from the top-left, in many colours that do not repeat in
// any simple pattern, so that its PNG is large (tens of kilobytes for a full frame).
inline Bytes colourfulPicture(int width = kFrameWidth, int height = kFrameHeight) {
  std::vector<Rgb> palette;
  for (int n = 0; n < 256; ++n) {
    palette.push_back({static_cast<std::uint8_t>(n * 7), static_cast<std::uint8_t>(n * 13),
                       static_cast<std::uint8_t>(n * 29)});
  }
  const ImagHeader header = ImagHeader::of(4, width, height);
  Bytes data(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
  return ImagBuilder::form().plte(palette).ihdr(header).idat(data).bytes();
}
