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
