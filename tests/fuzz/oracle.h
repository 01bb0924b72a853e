#pragma once

// What any decode must satisfy, whatever the bytes: shared by the fuzz target and the
// truncation sweeps so that both judge results the same way.

#include <cstdint>
#include <cstring>
#include <span>

#include "decode.h"

// The status a file must get, worked out from its first 12 bytes alone.
inline DecodeStatus expectedStatus(std::span<const std::uint8_t> file) {
  if (file.size() < 12) return DecodeStatus::tooShort;
  const bool imag = std::memcmp(file.data() + 8, "IMAG", 4) == 0;
  const bool container =
      std::memcmp(file.data(), "FORM", 4) == 0 || std::memcmp(file.data(), "CAT ", 4) == 0;
  return imag && container ? DecodeStatus::ok : DecodeStatus::notCdiImage;
}

// Every shown byte outside the reported coverage must still be black from the clear: a pixel
// drawn outside it would be cut off by anything that crops to the coverage.
inline bool blackOutsideCoverage(std::span<const std::uint8_t, kFrameBytes> frame,
                                 FrameCoverage coverage) {
  if (coverage.width < 0 || coverage.width > kFrameWidth || coverage.height < 0 ||
      coverage.height > kFrameHeight) {
    return false;
  }
  // Compared a row at a time with memcmp: the fuzzer runs this after every input.
  static const std::uint8_t kBlackRow[kFramePitch] = {};
  const std::size_t covered = 3 * static_cast<std::size_t>(coverage.width);
  for (int y = 0; y < kFrameHeight; ++y) {
    const std::uint8_t* row = frame.data() + static_cast<std::size_t>(y) * kFramePitch;
    const std::size_t from = y < coverage.height ? covered : 0;
    if (std::memcmp(row + from, kBlackRow, kFramePitch - from) != 0) return false;
  }
  return true;
}
