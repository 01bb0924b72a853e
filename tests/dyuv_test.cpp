#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>

#include "decoders.h"
#include "support/framecheck.h"
#include "suppression.h"

namespace {

Bytes dyuvFile(int bpr, int h, const Bytes& data, std::uint8_t y = 16, std::uint8_t u = 128,
               std::uint8_t v = 128) {
  ImagHeader header = ImagHeader::of(3, bpr, h);
  header.y = y, header.u = u, header.v = v;
  return ImagBuilder::form().ihdr(header).idat(data).bytes();
}

// The delta of each nibble, written out here so that the model does not share the decoder's table.
constexpr int kDelta[16] = {0, 1, 4, 9, 16, 27, 44, 79, 128, 177, 212, 229, 240, 247, 252, 255};

// An independent model of one DYUV row, worked the long way: signed 8-bit running values with
// the +128 offset on U and V, conversion in double precision, truncation, low 8 bits.
std::vector<Bgr> referenceRow(const std::uint8_t* src, int n, std::uint8_t ys, std::uint8_t us,
                              std::uint8_t vs, int t) {
  std::vector<Bgr> out;
  auto y = static_cast<std::int8_t>(ys);
  auto u = static_cast<std::int8_t>(us + 128);
  auto v = static_cast<std::int8_t>(vs + 128);
  for (int j = 0; j < n; ++j) {
    y = static_cast<std::int8_t>(y + kDelta[src[j] & 15]);
    std::int8_t& c = (j % 2) ? v : u;
    c = static_cast<std::int8_t>(c + kDelta[src[j] >> 4]);
    const double dy = y, du = u, dv = v;
    auto low8 = [](double x) {
      return static_cast<std::uint8_t>(static_cast<int>(std::trunc(x)) & 0xFF);
    };
    std::uint8_t b = low8(1.0 * dy + 0.0 * dv + 1.0 * du);
    std::uint8_t g = low8(1.0 * dy - 0.0 * dv - 0.0 * du);
    std::uint8_t r = low8(1.0 * dy + 1.0 * dv + 0.0 * du);
    if (t != 0) suppressArtefacts(b, g, r, t);
    out.push_back({b, g, r});
  }
  return out;
}

TEST(Dyuv, WorkedExample) {
  const auto frame = decodeBytes(dyuvFile(4, 1, {0xB0, 0x38, 0x07, 0x40}));
  ASSERT_EQ(frame.status, DecodeStatus::ok);
  EXPECT_EQ(frame.pixel(0, 0), (Bgr{0, 16, 16}));  // 245, 16, 16 before rule 1
  EXPECT_EQ(frame.pixel(1, 0), (Bgr{117, 144, 153}));
  EXPECT_EQ(frame.pixel(2, 0), (Bgr{196, 223, 232}));
  EXPECT_EQ(frame.pixel(3, 0), (Bgr{196, 223, 248}));
  EXPECT_EQ(frame.pixel(4, 0), (Bgr{0, 0, 0}));  // cleared, not written
}

struct RuleCase {
  int b, g, r, t;
  Bgr expected;
};

TEST(Dyuv, SuppressionRulesAtTheirBoundaries) {
  const RuleCase cases[] = {
      {201, 34, 34, 220, {0, 34, 34}},      // rule 1: blue above 200 over dark green and red
      {200, 34, 34, 220, {200, 34, 34}},    // blue 200 is not above 200
      {201, 35, 34, 220, {201, 35, 34}},    // green 35 is not dark
      {201, 34, 35, 220, {201, 34, 35}},    // red 35 is not dark
      {34, 221, 34, 220, {34, 0, 34}},      // rule 2
      {34, 220, 34, 220, {34, 220, 34}},    // green 220 is not above 220
      {34, 34, 221, 220, {34, 34, 0}},      // rule 3
      {230, 10, 230, 220, {0, 10, 0}},      // rule 4
      {210, 10, 230, 220, {210, 10, 230}},  // blue not above 220, red not dark
      {255, 0, 0, 220, {0, 0, 0}},          // rule 1 first, then nothing bright is left
      {30, 30, 30, 20, {0, 0, 0}},  // low threshold: rules 1-3 in turn, each seeing the last
  };
  for (const RuleCase& c : cases) {
    auto b = static_cast<std::uint8_t>(c.b), g = static_cast<std::uint8_t>(c.g),
         r = static_cast<std::uint8_t>(c.r);
    suppressArtefacts(b, g, r, c.t);
    EXPECT_EQ((Bgr{b, g, r}), c.expected) << c.b << "," << c.g << "," << c.r << " T=" << c.t;
  }
}

TEST(Dyuv, MatchesTheLongFormForAnyThreshold) {
  // Each row starts again from the start values with U on its first pixel. Rows either side of
  // the 16 pixels the vector path takes at once; nothing is drawn past a row.
  std::mt19937 random(7);
  for (int bpr : {1, 15, 16, 17, 383}) {
    const int h = 64;
    Bytes data(static_cast<std::size_t>(bpr * h));
    for (auto& b : data)
      b = static_cast<std::uint8_t>(random());
    for (int t : {220, 219, 0, 1, 20, 127, 200, 235, 255, 256, 400, -1, -300, INT_MAX, INT_MIN}) {
      const std::uint8_t ys = static_cast<std::uint8_t>(random()),
                         us = static_cast<std::uint8_t>(random()),
                         vs = static_cast<std::uint8_t>(random());
      const auto frame = decodeBytes(dyuvFile(bpr, h, data, ys, us, vs), t);
      for (int row = 0; row < h; ++row) {
        const auto expected = referenceRow(data.data() + row * bpr, bpr, ys, us, vs, t);
        for (int x = 0; x < bpr; ++x) {
          ASSERT_EQ(frame.pixel(x, row), expected[x])
              << "bpr " << bpr << " T=" << t << " at " << x << "," << row;
        }
        ASSERT_EQ(frame.pixel(bpr, row), (Bgr{0, 0, 0})) << "bpr " << bpr << " row " << row;
      }
    }
  }
}

TEST(Dyuv, LookedUpSuppressionEqualsTheRulesForEveryPixel) {
  for (int t : {220, 20, 128, 250}) {
    const Suppression suppression(t);
    for (unsigned pixel = 0; pixel < (1u << 24); ++pixel) {
      std::uint8_t b = pixel & 0xFF, g = pixel >> 8 & 0xFF, r = pixel >> 16;
      const std::uint32_t fast = suppression.apply(pixel, b, g, r);
      suppressArtefacts(b, g, r, t);
      ASSERT_EQ(fast, b | g << 8 | static_cast<std::uint32_t>(r) << 16)
          << "T=" << t << " " << pixel;
    }
  }
}

}  // namespace
