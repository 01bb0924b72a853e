// The bundled samples are exactly what the sample writer makes now, and each one shows.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "bundledsamples.h"
#include "support/framecheck.h"

namespace {

Bytes readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool hasColour(const DecodedFrame& frame, const FrameCoverage& area) {
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      if (frame.pixel(x, y) != Bgr{0, 0, 0}) return true;
    }
  }
  return false;
}

TEST(Samples, CommittedFilesMatchTheWriter) {
  const std::vector<SamplePicture> samples = bundledSamples();
  ASSERT_FALSE(samples.empty());
  for (const SamplePicture& sample : samples) {
    const Bytes committed = readFile(std::filesystem::path(PELMORA_SAMPLES_DIR) / sample.fileName);
    EXPECT_TRUE(committed == sample.bytes)
        << sample.fileName << " differs from what writesamples writes: run writesamples again";
  }
}

TEST(Samples, EachDecodesToAPictureWithColour) {
  for (const SamplePicture& sample : bundledSamples()) {
    const DecodedFrame frame = decodeBytes(sample.bytes);
    EXPECT_EQ(frame.status, DecodeStatus::ok) << sample.fileName;
    EXPECT_GT(frame.coverage.width, 0) << sample.fileName;
    EXPECT_GT(frame.coverage.height, 0) << sample.fileName;
    EXPECT_TRUE(hasColour(frame, frame.coverage)) << sample.fileName << " is black";
    EXPECT_TRUE(frame.guardIntact()) << sample.fileName;
  }
}

}  // namespace
