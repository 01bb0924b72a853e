#include <gtest/gtest.h>

#include <random>

#include "clutrow.h"
#include "palettewriter.h"
#include "support/framecheck.h"

namespace {

// Entries 0-3 of the worked example: black, red, green, (0x10, 0x20, 0x30).
const std::vector<Rgb> kPalette = {{0, 0, 0}, {0xFF, 0, 0}, {0, 0xFF, 0}, {0x10, 0x20, 0x30}};

Bytes clutFile(int model, int bpr, int h, const Bytes& data,
               const std::vector<Rgb>& palette = kPalette) {
  return ImagBuilder::form().plte(palette).ihdr(ImagHeader::of(model, bpr, h)).idat(data).bytes();
}

TEST(Clut, WorkedExamples) {
  for (int model : {4, 5}) {
    const auto frame = decodeBytes(clutFile(model, 2, 2, {0x01, 0x03, 0x02, 0x00}));
    EXPECT_EQ(frame.pixel(0, 0), (Bgr{0x00, 0x00, 0xFF})) << model;
    EXPECT_EQ(frame.pixel(1, 0), (Bgr{0x30, 0x20, 0x10})) << model;
    EXPECT_EQ(frame.pixel(0, 1), (Bgr{0x00, 0xFF, 0x00})) << model;
    EXPECT_EQ(frame.pixel(1, 1), (Bgr{0x00, 0x00, 0x00})) << model;
  }
  const auto clut4 = decodeBytes(clutFile(6, 2, 1, {0x13, 0x2F}));  // only the high nibble shows
  EXPECT_EQ(clut4.pixel(0, 0), (Bgr{0x00, 0x00, 0xFF}));
  EXPECT_EQ(clut4.pixel(1, 0), (Bgr{0x00, 0xFF, 0x00}));
  // CLUT7 takes the whole byte, as CLUT8 does: byte 0x83 is entry 131, not 3.
  std::vector<Rgb> palette(256);
  palette[0x83] = {1, 2, 3};
  EXPECT_EQ(decodeBytes(clutFile(5, 1, 1, {0x83}, palette)).pixel(0, 0), (Bgr{3, 2, 1}));
}

TEST(Clut, ShortRowsLeaveTheRestBlack) {
  const auto frame = decodeBytes(clutFile(4, 3, 2, {1, 1, 1, 2, 2, 2}));
  EXPECT_EQ(frame.pixel(2, 1), (Bgr{0, 0xFF, 0}));
  EXPECT_EQ(frame.pixel(3, 1), (Bgr{0, 0, 0}));
  EXPECT_EQ(frame.pixel(383, 0), (Bgr{0, 0, 0}));
  EXPECT_EQ(std::pair(frame.coverage.width, frame.coverage.height), std::pair(3, 2));
  // Cut inside its last row: the byte after the cut, though in memory, is not the file's.
  const Bytes whole = clutFile(4, 3, 2, {1, 1, 1, 2, 2, 2});
  EXPECT_EQ(decodeBytes(std::span(whole).first(whole.size() - 1)).pixel(2, 1), (Bgr{0, 0, 0}));
  // Full-width rows end where a frame row does: they cover no row below (--crop uses this).
  const auto full = decodeBytes(clutFile(4, 384, 2, Bytes(768, 1)));
  EXPECT_EQ(std::pair(full.coverage.width, full.coverage.height), std::pair(384, 2));
}

TEST(Clut, LongRowsRunOnAndOnlyTheLastRowsRunOnStays) {
  // bpr 390: each row's pixels 384-389 land on the next row's first six pixels, which that row
  // then paints over; the last row's run-on stays in the row below the picture.
  Bytes data(390 * 2, 1);
  std::fill(data.begin() + 390, data.end(), 2);
  const auto frame = decodeBytes(clutFile(4, 390, 2, data));
  EXPECT_EQ(frame.pixel(0, 1), (Bgr{0, 0xFF, 0}));
  EXPECT_EQ(frame.pixel(5, 2), (Bgr{0, 0xFF, 0}));
  EXPECT_EQ(frame.pixel(6, 2), (Bgr{0, 0, 0}));
  EXPECT_EQ(std::pair(frame.coverage.width, frame.coverage.height), std::pair(384, 3));
}

TEST(Clut, RowsReadOnPastTheChunkIntoTheFile) {
  // The IDAT holds 2 bytes but the row wants 6: the decoder reads on into the next chunk
  // ("FOO " and its length byte 0), and the walk still resumes after the IDAT.
  std::vector<Rgb> palette(256, {9, 9, 9});
  palette['F'] = {1, 1, 1};
  palette['O'] = {2, 2, 2};
  ImagBuilder file = ImagBuilder::form().plte(palette).ihdr(ImagHeader::of(4, 6, 1)).idat({0, 0});
  const auto frame = decodeBytes(file.chunk("FOO ", {}).bytes());
  EXPECT_EQ(frame.pixel(2, 0), (Bgr{1, 1, 1}));
  EXPECT_EQ(frame.pixel(3, 0), (Bgr{2, 2, 2}));
  EXPECT_EQ(frame.pixel(5, 0), (Bgr{9, 9, 9}));  // ' '
}

TEST(Clut, RowWritersAgreeOnEveryLength) {
  std::mt19937 random(3);
  Palette cdiplte;
  for (auto& b : cdiplte)
    b = static_cast<std::uint8_t>(random());
  const PaletteWriter palette(cdiplte, kPaletteEntries);
  for (int n : {1, 2, 7, 8, 9, 15, 16, 17, 33, 384, 777}) {
    Bytes src(static_cast<std::size_t>(n));
    for (auto& b : src)
      b = static_cast<std::uint8_t>(random());
    for (int shift : {0, 4}) {
      Bytes expected(3 * n + 8, 0x5A);  // nothing may be written past the row
      for (int j = 0; j < n; ++j) {
        const int entry = src[j] >> shift;
        expected[3 * j] = cdiplte[3 * entry + 2];
        expected[3 * j + 1] = cdiplte[3 * entry + 1];
        expected[3 * j + 2] = cdiplte[3 * entry];
      }
      Bytes mapped(3 * n + 8, 0x5A);
      palette.map(mapped.data(), src.data(), n, shift);
      EXPECT_EQ(mapped, expected) << "n=" << n << " shift=" << shift;
#ifdef PELMORA_HAVE_SSSE3
      if (shift == 4 && processorHasSsse3()) {
        Bytes vector(3 * n + 8, 0x5A);
        decodeClut4RowSsse3(src.data(), n, Clut4Planes(cdiplte), vector.data());
        EXPECT_EQ(vector, expected) << "ssse3, n=" << n;
      }
#endif
    }
  }
}

}  // namespace
