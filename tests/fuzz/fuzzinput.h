#pragma once

// A fuzz input is one selector byte, which picks the DYUV suppression threshold, followed by
// the file. The selector lets the fuzzer drive both the viewer's threshold and "off".

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

inline constexpr std::uint8_t kSelectViewer = 0x00;  // 0x00..0x7F: 220, the viewer's threshold
inline constexpr std::uint8_t kSelectOff = 0x80;     // 0x80..0xBF: 0, suppression off
inline constexpr std::uint8_t kSelectOther = 0xD0;   // 0xC0..0xFF: others, extremes included

inline int thresholdFor(std::uint8_t selector) {
  if (selector < 0x80) return 220;
  if (selector < 0xC0) return 0;
  if (selector == 0xFE) return INT_MIN;
  if (selector == 0xFF) return INT_MAX;
  return (selector - 0xC0) * 10 - 40;  // -40 .. 570: both sides of 0..255
}

inline std::vector<std::uint8_t> fuzzInput(std::uint8_t selector,
                                           const std::vector<std::uint8_t>& file) {
  std::vector<std::uint8_t> input(file.size() + 1, selector);
  std::copy(file.begin(), file.end(), input.begin() + 1);
  return input;
}
