// Every prefix of the sample pictures, and every small change to their header bytes, decoded
// into a guarded frame: nothing may be written past the frame, the status must follow from the
// container header, and a cut file may only show part of the full picture, never other pixels.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "byteswap.h"
#include "decode.h"
#include "oracle.h"
#include "fuzzsamples.h"

namespace {

constexpr std::size_t kGuardBytes = 4096;
constexpr std::uint8_t kGuardByte = 0xA5;
constexpr std::uint8_t kHiddenByte = 0x5A;  // the 4 unshown rows are never cleared

// One frame reused for every decode: filled with markers once, then only checked.
class GuardedFrame {
 public:
  GuardedFrame() : bytes_(kFrameBytes + kGuardBytes, kGuardByte) {
    std::fill(bytes_.begin() + kShownBytes, bytes_.begin() + kFrameBytes, kHiddenByte);
  }

  DecodeStatus decode(std::span<const std::uint8_t> file) {
    resetHiddenRows();
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
  void resetHiddenRows() {
    std::fill(bytes_.begin() + kShownBytes, bytes_.begin() + kFrameBytes, kHiddenByte);
  }
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

// Positions of the header bytes: the container's, and those of each PLTE and IHDR chunk (its
// identifier and length, the IHDR body, the 4 unused bytes that open a PLTE body).
std::vector<std::size_t> headerBytes(const Bytes& file) {
  const std::size_t first = file[0] == 'C' ? 24 : 12;
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < first; ++i)
    at.push_back(i);
  for (std::size_t p = first; p + 8 <= file.size(); p += 8 + byteswaplp(file.data() + p + 4)) {
    const std::string id(file.begin() + p, file.begin() + p + 4);
    const std::size_t body = id == "IHDR" ? 14 : id == "PLTE" ? 4 : 0;
    const std::size_t headerEnd = id == "IDAT" ? p + 8 : p + 8 + body;
    for (std::size_t i = p; i < std::min(headerEnd, file.size()); ++i)
      at.push_back(i);
  }
  return at;
}

TEST(Truncation, EveryHeaderByteChanged) {
  GuardedFrame frame;
  for (const Sample& sample : samplePictures()) {
    if (!sample.wellFormed) continue;
    for (const std::size_t at : headerBytes(sample.file)) {
      const bool tag = at < 4 || (at >= 8 && at < 12);  // "FORM"/"CAT " or "IMAG"
      std::vector<std::uint8_t> values = {0x00, 0xFF};
      for (int bit = 0; bit < 8; ++bit)
        values.push_back(sample.file[at] ^ (1u << bit));
      for (const std::uint8_t value : values) {
        if (value == sample.file[at]) continue;
        Bytes changed = sample.file;
        changed[at] = value;
        SCOPED_TRACE(sample.name + ", byte " + std::to_string(at) + " set to " +
                     std::to_string(value));
        const DecodeStatus status = frame.decode(changed);
        ASSERT_EQ(status, tag ? DecodeStatus::notCdiImage : DecodeStatus::ok);
        ASSERT_TRUE(frame.guardIntact());
        ASSERT_TRUE(blackOutsideCoverage(frame.frame(), frame.coverage));
        if (tag) {
          ASSERT_EQ(frame.coverage.width + frame.coverage.height, 0);
        }
      }
    }
  }
}

}  // namespace
