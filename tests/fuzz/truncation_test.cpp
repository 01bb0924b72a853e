// Every prefix of the sample pictures, decoded into a guarded frame: nothing may be written past
// the frame, the status must follow from the container header, and a cut file may only show part
// of the full picture, never other pixels. (Changed bytes anywhere are the fuzzer's part.)

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "decode.h"
#include "fuzzsamples.h"
#include "oracle.h"

namespace {

constexpr std::size_t kGuardBytes = 4096;
constexpr std::uint8_t kGuardByte = 0xA5;
constexpr std::uint8_t kHiddenByte = 0x5A;  // the 4 unshown rows are never cleared

// One frame reused for every decode: its guard filled with a marker once, then only checked.
class GuardedFrame {
 public:
  GuardedFrame() : bytes_(kFrameBytes + kGuardBytes, kGuardByte) {}

  DecodeStatus decode(std::span<const std::uint8_t> file) {
    std::fill(bytes_.begin() + kShownBytes, bytes_.begin() + kFrameBytes, kHiddenByte);
    return decodeImageMemory(file, frame(), 220, &coverage);
  }

  std::span<std::uint8_t, kFrameBytes> frame() {
    return std::span<std::uint8_t, kFrameBytes>(bytes_.data(), kFrameBytes);
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  bool guardIntact() const {
    return std::all_of(bytes_.begin() + kFrameBytes, bytes_.end(),
                       [](std::uint8_t b) { return b == kGuardByte; });
  }

  FrameCoverage coverage;

 private:
  std::vector<std::uint8_t> bytes_;
};

// Bytes of `cut` that differ from `full` and are not still as the clear (or, below the shown
// rows, the marker) left them: pixels that a cut file drew but the whole file does not have.
std::size_t foreignBytes(const std::vector<std::uint8_t>& cut,
                         const std::vector<std::uint8_t>& full) {
  std::size_t foreign = 0;
  for (std::size_t row = 0; row < kFrameBytes; row += kFramePitch) {
    // Most rows are the same in both (black, mostly): only rows that differ are looked into.
    if (std::memcmp(cut.data() + row, full.data() + row, kFramePitch) == 0) continue;
    const std::uint8_t untouched = row < kShownBytes ? 0 : kHiddenByte;
    for (std::size_t i = row; i < row + kFramePitch; ++i) {
      if (cut[i] != full[i] && cut[i] != untouched) ++foreign;
    }
  }
  return foreign;
}

TEST(Truncation, EveryPrefixShowsPartOfTheWholePicture) {
  GuardedFrame whole, cut;
  for (const Sample& sample : samplePictures()) {
    ASSERT_EQ(whole.decode(sample.file), DecodeStatus::ok) << sample.name;
    for (std::size_t n = 0; n <= sample.file.size(); ++n) {
      const std::span<const std::uint8_t> prefix(sample.file.data(), n);
      const DecodeStatus status = cut.decode(prefix);
      SCOPED_TRACE(sample.name + ", first " + std::to_string(n) + " bytes");
      ASSERT_EQ(status, n < 12 ? DecodeStatus::tooShort : DecodeStatus::ok);
      ASSERT_TRUE(cut.guardIntact());
      ASSERT_TRUE(blackOutsideCoverage(cut.frame(), cut.coverage));
      ASSERT_LE(cut.coverage.width, whole.coverage.width);
      ASSERT_LE(cut.coverage.height, whole.coverage.height);
      // Rows that run on or overshoot are painted over by later rows in the whole picture, so
      // only pictures whose rows fit can be compared pixel for pixel.
      if (sample.wellFormed) {
        ASSERT_EQ(foreignBytes(cut.bytes(), whole.bytes()), 0u);
      }
    }
  }
}

}  // namespace
