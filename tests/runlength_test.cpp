#include <gtest/gtest.h>

#include <random>

#include "support/framecheck.h"

namespace {

DecodedFrame decodeRuns(int model, int bpr, int h, const Bytes& data) {
  // A marker chunk after the IDAT shows where the walk resumed: its IHDR sets CLUT8, 1 x 1.
  ImagBuilder file = ImagBuilder::form().plte(greyRamp()).ihdr(ImagHeader::of(model, bpr, h));
  return decodeBytes(file.idat(data).ihdr(ImagHeader::of(4, bpr, 1, 1)).idat({0x55}).bytes());
}

// Palette entries of pixels x0.. of row y, read back from their grey.
std::vector<int> entries(const DecodedFrame& frame, int y, int count, int x0 = 0) {
  std::vector<int> out;
  for (int x = x0; x < x0 + count; ++x)
    out.push_back(frame.pixel(x, y)[2]);
  return out;
}

// The worked examples: rows of palette entries drawn from a code stream; the marker drawn after
// the IDAT shows where the cursor ended (entry 0x55, h rows down). Every other kind of code is
// held to the long-form model below.
TEST(RunLength, WorkedExamples) {
  struct Case {
    int model, bpr, h;
    Bytes data;
    std::vector<std::vector<int>> rows;  // entries of the first pixels of each row, and after
  };
  // clang-format off
  const Case cases[] = {
      {8, 6, 2, {0x05, 0x83, 0x03, 0x81, 0x00, 0x7F, 0xFF, 0x04, 0x82, 0x01},
       {{5, 3, 3, 3, 1, 1}, {127, 127, 127, 127, 127, 2}, {0x55}}},
      {9, 6, 2, {0x35, 0xA2, 0x80, 0x70, 0xF3, 0xC0}, {{3, 2, 2, 0, 0, 0}, {7, 7, 7, 7, 4, 4}, {0x55}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const auto frame = decodeRuns(c.model, c.bpr, c.h, c.data);
    for (std::size_t y = 0; y < c.rows.size(); ++y) {
      EXPECT_EQ(entries(frame, static_cast<int>(y), static_cast<int>(c.rows[y].size())), c.rows[y])
          << "case " << &c - cases << ", row " << y;
    }
  }
}

TEST(RunLength, RunsPastTheBlockAreDropped) {
  // 300 rows, each one to-the-end run, then runs to or past the end of row 283, the last of the
  // block, with plenty of codes after it (as the rows below the block would have): nothing lands
  // past the block. Rows of 400 pixels leave the last row less room than the row is long.
  struct Case {
    int model, bpr;
    Bytes fill, overshoot;
    int first, second;  // entries of pixels 0 and 1 of row 283; pixel 383 is the second's
  };
  const Case cases[] = {
      {8, 384, {0x81, 0x00}, {0x01, 0x82, 0xFF, 0x82, 0xFF}, 1, 2},  // 1 + 255 + 255 pixels
      {8, 384, {0x81, 0x00}, {0x01, 0x82, 0xFF, 0x82, 0x7E, 0x02, 0x02}, 1, 2},  // 2 single last
      {9, 384, {0x90}, {0x10, 0xAF, 0xAF, 0xAF}, 1, 2},  // 1 + 15 + 15 + 15, then to 384
      {8, 400, {0x81, 0x00}, {0x82, 0x00}, 2, 2},
      {9, 400, {0x90}, {0xA0}, 2, 2},
  };
  for (const Case& c : cases) {
    Bytes data;
    for (int row = 0; row < 283; ++row)
      data.insert(data.end(), c.fill.begin(), c.fill.end());
    data.insert(data.end(), c.overshoot.begin(), c.overshoot.end());
    if (c.model == 9 && c.bpr == 384) {  // RL3 reaches the row's end in runs of at most 15
      for (int j = 46; j < 384; j += 15)
        data.push_back(0xAF);
    }
    data.insert(data.end(), 2000, c.model == 8 ? 0x03 : 0x30);
    const auto frame = decodeRuns(c.model, c.bpr, 300, data);
    EXPECT_TRUE(frame.guardIntact()) << c.model << " " << c.bpr;
    EXPECT_EQ(entries(frame, 283, 2), (std::vector<int>{c.first, c.second})) << c.model;
    EXPECT_EQ(entries(frame, 283, 1, 383), (std::vector<int>{c.second})) << c.model;
    EXPECT_EQ(frame.coverage.height, 280) << c.model;
  }
}

// The run-length rows worked the long way: one pixel at a time, every write checked. A run that
// overshoots its row is drawn whole, a count of 0 fills the rest of the row, an RL3 single pixel
// ignores bits 3-0, and a row of no pixels still moves the cursor.
Bytes referenceFrame(int model, int bpr, int h, const Bytes& data,
                     const std::vector<Rgb>& palette) {
  Bytes frame(kFrameBytes, 0);
  std::size_t l = 0;
  for (int row = 0; row < h; ++row) {
    const std::size_t start = static_cast<std::size_t>(row) * kFramePitch;
    long j = 0;
    while (j < bpr && l < data.size()) {
      const unsigned b = data[l];
      unsigned entry;
      long count;
      if (model == 8) {
        if (b >= 0x80 && l + 1 >= data.size()) break;
        entry = b & 0x7F, count = b < 0x80 ? 1 : data[l + 1], l += b < 0x80 ? 1 : 2;
      } else {
        entry = b >> 4 & 7, count = b < 0x80 ? 1 : b & 15, l += 1;
      }
      if (count == 0) count = bpr - j;
      for (long k = 0; k < count; ++k, ++j) {
        const std::size_t at = start + 3 * static_cast<std::size_t>(j);
        if (at + 3 > kFrameBytes) continue;
        frame[at] = palette[entry].b, frame[at + 1] = palette[entry].g,
        frame[at + 2] = palette[entry].r;
      }
    }
  }
  return frame;
}

TEST(RunLength, RandomStreamsMatchTheLongForm) {
  // Random codes (runs of every length, to-the-end runs, single pixels) over random row lengths,
  // with and without bytes after the picture: rows decoded with and without checks per code
  // must agree with the pixel-by-pixel model.
  std::mt19937 random(5);
  std::vector<Rgb> palette(256);
  for (auto& c : palette) {
    c = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
         static_cast<std::uint8_t>(random())};
  }
  for (int trial = 0; trial < 150; ++trial) {
    const int model = trial % 2 ? 9 : 8;
    const int bpr = trial < 2 ? 0 : 1 + static_cast<int>(random() % 500);  // 0: rows of no pixels
    const int h = 1 + static_cast<int>(random() % 300);
    Bytes data;
    for (int i = 0; i < h * (trial % 4 == 0 ? 2 : 40); ++i) {  // a quarter end inside a row
      const unsigned kind = random() % 10;
      if (model == 8) {
        if (kind < 3) {
          data.push_back(static_cast<std::uint8_t>(random() & 0x7F));
        } else {
          data.push_back(static_cast<std::uint8_t>(0x80 | random()));
          data.push_back(static_cast<std::uint8_t>(kind == 3  ? 0
                                                   : kind < 8 ? random() % 40
                                                              : random()));
        }
      } else {
        data.push_back(static_cast<std::uint8_t>(random()));
      }
    }
    data.resize(data.size() - random() % std::min<std::size_t>(30, data.size()));  // even in a code
    const ImagHeader header = ImagHeader::of(model, 0, h, bpr);
    for (bool trailing : {false, true}) {
      ImagBuilder file = ImagBuilder::form();
      file.plte(palette).ihdr(header).idat(data);
      // The codes run on past the IDAT into whatever follows it: here a chunk of zeros.
      Bytes stream = data;
      if (trailing) {
        file.chunk("PAD ", Bytes(4000, 0));
        const Bytes pad = ImagBuilder::form().chunk("PAD ", Bytes(4000, 0)).bytes();
        stream.insert(stream.end(), pad.begin() + 12, pad.end());
      }
      const Bytes expected = referenceFrame(model, bpr, h, stream, palette);
      const auto frame = decodeBytes(file.bytes());
      ASSERT_TRUE(frame.guardIntact());
      ASSERT_TRUE(std::equal(expected.begin(), expected.begin() + kShownBytes, frame.bytes.begin()))
          << "model " << model << " bpr " << bpr << " h " << h << " trailing " << trailing;
    }
  }
}

}  // namespace
