// The classic DYUV encoder, which the samples and png2imag --classic use, follows a chart closely
// (the samples' byte-for-byte test and png2imag's round trips cover the other encoders).

#include <gtest/gtest.h>

#include <cstdlib>

#include "dyuvencoder.h"
#include "support/framecheck.h"
#include "testchart.h"

namespace {

Bgr bgrOf(Rgb colour) {
  return {colour.b, colour.g, colour.r};
}

TEST(EncodeDyuv, FollowsTheChartClosely) {
  const RgbPicture chart = testChart(384, 280);
  const DecodedFrame frame = decodeBytes(ImagBuilder::form()
                                             .ihdr(ImagHeader::of(3, chart.width, chart.height))
                                             .idat(encodeDyuv(chart, {}, 220))
                                             .bytes(),
                                         220);
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

}  // namespace
