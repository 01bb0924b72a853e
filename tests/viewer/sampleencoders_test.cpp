// The sample writer's encoders: what they write decodes back to the picture they were given.

#include <gtest/gtest.h>

#include <cstdlib>

#include "dyuvencoder.h"
#include "paletteencoders.h"
#include "support/framecheck.h"
#include "testchart.h"

namespace {

Bgr bgrOf(Rgb colour) {
  return {colour.b, colour.g, colour.r};
}

ImagHeader headerFor(const RgbPicture& image, int model) {
  ImagHeader header;
  header.width = header.lineSize = static_cast<std::uint16_t>(image.width);
  header.height = static_cast<std::uint16_t>(image.height);
  header.model = static_cast<std::uint16_t>(model);
  return header;
}

// A picture whose rows hold runs of every length around the coders' limits (1, 2, 15, 16, 255,
// 256, 300 pixels) so that long runs must be split and short ones kept single.
RgbPicture runsOfEveryLength(const std::vector<Rgb>& palette) {
  RgbPicture image{384, 6, {}};
  const int lengths[] = {1, 2, 15, 16, 255, 256, 300, 384};
  for (int y = 0; y < image.height; ++y) {
    int x = 0, colour = y;
    for (int i = y; x < image.width; ++i, ++colour) {
      const int length = lengths[i % 8];
      for (int k = 0; k < length && x < image.width; ++k, ++x) {
        image.pixels.push_back(palette[colour % palette.size()]);
      }
    }
  }
  return image;
}

class IndexedRoundTrip : public testing::TestWithParam<int> {};

TEST_P(IndexedRoundTrip, DecodesToTheNearestPaletteColours) {
  const int model = GetParam();
  const std::vector<Rgb> palette = kBarColours;  // eight entries: every model reaches them
  for (const RgbPicture& image : {runsOfEveryLength(palette), testChart(200, 64)}) {
    const Bytes data = encodeIndexed(image, palette, model);
    const DecodedFrame frame = decodeBytes(
        ImagBuilder::form().ihdr(headerFor(image, model)).plte(palette).idat(data).bytes());
    ASSERT_EQ(frame.status, DecodeStatus::ok);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        ASSERT_EQ(frame.pixel(x, y), bgrOf(palette[nearestIndex(palette, image.at(x, y))]))
            << "model " << model << " at " << x << "," << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Models, IndexedRoundTrip, testing::Values(4, 5, 6, 8, 9));

TEST(EncodeIndexed, WritesNothingForModelsWithoutIndices) {
  EXPECT_TRUE(encodeIndexed(testChart(16, 4), kBarColours, 3).empty());
  EXPECT_TRUE(encodeIndexed(testChart(16, 4), kBarColours, 7).empty());
}

TEST(EncodeDyuv, FollowsTheChartClosely) {
  const RgbPicture chart = testChart(384, 280);
  const DecodedFrame frame = decodeBytes(
      ImagBuilder::form().ihdr(headerFor(chart, 3)).idat(encodeDyuv(chart, {}, 220)).bytes(), 220);
  ASSERT_EQ(frame.status, DecodeStatus::ok);
  long error = 0;
  for (int y = 0; y < chart.height; ++y) {
    for (int x = 0; x < chart.width; ++x) {
      const Bgr want = bgrOf(chart.at(x, y)), got = frame.pixel(x, y);
      for (int c = 0; c < 3; ++c)
        error += std::abs(want[c] - got[c]);
    }
  }
  // One step per pixel cannot follow every edge at once; on average it must come close.
  const double mean = static_cast<double>(error) / (3.0 * chart.width * chart.height);
  EXPECT_LT(mean, 8.0);
}

TEST(EncodeDyuv, ReachesFlatColoursExactly) {
  // A flat grey row: the encoder must settle on it and then stay (steps of 0).
  const RgbPicture grey{64, 1, std::vector<Rgb>(64, Rgb{100, 100, 100})};
  const Bytes data = encodeDyuv(grey, {}, 220);
  const DecodedFrame frame =
      decodeBytes(ImagBuilder::form().ihdr(headerFor(grey, 3)).idat(data).bytes(), 220);
  for (int x = 16; x < 64; ++x)
    EXPECT_EQ(frame.pixel(x, 0), (Bgr{100, 100, 100})) << x;
}

}  // namespace
