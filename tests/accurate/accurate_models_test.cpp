// One worked example per pixel model, written out byte by byte.

#include "accuratecheck.h"

namespace {

Bytes pictureFile(const ImagHeader& h, const Bytes& idat, int paletteSize = 0) {
  ImagBuilder file = ImagBuilder::form().ihdr(h);
  if (paletteSize > 0) file.chunk("PLTE", plteBody(0, greys(paletteSize)));
  return file.idat(idat).bytes();
}

TEST(AccurateRgb, Rgb888StepsByLineSizeNotByWidth) {
  // 2 pixels a line, 7 bytes a line: the seventh byte (EE) is padding.
  const auto picture = decodeOk(pictureFile(header(1, 2, 7, 2), {1, 2, 3, 4, 5, 6, 0xEE,  //
                                                                 7, 8, 9, 10, 11, 12, 0xEE}));
  ASSERT_EQ(std::pair(picture.width, picture.height), std::pair(2, 2));
  EXPECT_EQ(rowOf(picture, 0), (std::vector<Pixel>{{1, 2, 3}, {4, 5, 6}}));
  EXPECT_EQ(rowOf(picture, 1), (std::vector<Pixel>{{7, 8, 9}, {10, 11, 12}}));
  EXPECT_TRUE(picture.complete);
  // Lines of 5 bytes hold no second pixel: it stays black, and the picture is not whole.
  const auto narrow = decodeOk(pictureFile(header(1, 2, 5, 1), {1, 2, 3, 4, 5}));
  EXPECT_EQ(rowOf(narrow, 0), (std::vector<Pixel>{{1, 2, 3}, kBlack}));
  EXPECT_FALSE(narrow.complete);
}

// The upper-bytes-first layout is inferred, not confirmed by any sample file.
TEST(AccurateRgb, Rgb555TakesAllUpperLinesThenAllLowerLines) {
  //             upper: line 0     line 1 | lower: line 0  line 1
  const Bytes idat = {0x7C, 0x03, 0x80, 0x04, 0x00, 0xE0, 0x1F, 0x43};
  const auto picture = decodeOk(pictureFile(header(2, 2, 2, 2), idat));
  // 0x7C00 red, 0x03E0 green, 0x801F blue (transparency bit ignored), 0x0443 = 1, 2, 3
  EXPECT_EQ(rowOf(picture, 0), (std::vector<Pixel>{{248, 0, 0}, {0, 248, 0}}));
  EXPECT_EQ(rowOf(picture, 1), (std::vector<Pixel>{{0, 0, 248}, {8, 16, 24}}));
  EXPECT_TRUE(picture.complete);
  // Without the lower portion no pixel has both of its bytes.
  const auto upperOnly = decodeOk(pictureFile(header(2, 2, 2, 2), {0x7C, 0x03, 0x80, 0x04}));
  EXPECT_EQ(pixelAt(upperOnly, 0, 0), kBlack);
  EXPECT_FALSE(upperOnly.complete);
}

// Y 16, U 128, V 128 at the start of the line. Table steps: 1 +1, 2 +4, 7 +79, 8 +128, 15 +255.
//   18: U +1 = 129, Y +128 = 144     27: V +4 = 132, Y +79 = 223
//   F0: U +255 = 128, Y +0 = 223     8F: V +128 = 4 (mod 256), Y +255 = 222
const Bytes kDyuvLine = {0x18, 0x27, 0xF0, 0x8F};

TEST(AccurateDyuv, BothPixelsOfAPairShareItsChroma) {
  const auto picture = decodeOk(pictureFile(header(3, 4, 4, 1), kDyuvLine));
  // (144, 129, 132): R = 144 + 1404/256, G = 144 - 86/256 - 716/256, B = 144 + 444/256
  // (223, 128, 4):   R = 223 - 43524/256 (truncated: -170), G = 223 + 22196/256 -> 309, clamped
  EXPECT_EQ(rowOf(picture, 0),
            (std::vector<Pixel>{{149, 142, 145}, {228, 221, 224}, {53, 255, 223}, {52, 255, 222}}));
  EXPECT_TRUE(picture.complete);
  EXPECT_FALSE(decodeOk(pictureFile(header(3, 4, 4, 2), kDyuvLine)).complete);  // one line of two
}

TEST(AccurateDyuv, InterpolationAveragesChromaWithoutByteWrap) {
  AccurateOptions options;
  options.interpolateChroma = true;
  const auto picture = decodeOk(pictureFile(header(3, 4, 4, 1), kDyuvLine), options);
  // Pixel 0: U (128+129)/2 = 128, V (128+132)/2 = 130. Pixel 2: U (129+128)/2 = 128 (an 8-bit
  // sum would wrap to 0), V (132+4)/2 = 68. Second pixels of pairs are as without interpolation.
  EXPECT_EQ(
      rowOf(picture, 0),
      (std::vector<Pixel>{{146, 143, 144}, {228, 221, 224}, {141, 255, 223}, {52, 255, 222}}));
}

// The third line has no start, or one cut short, so it takes the IHDR's.
TEST(AccurateDyuv, YuvsGivesEachLineItsStartAndClampsBelowZero) {
  ImagHeader h = header(3, 2, 2, 3);
  h.dyuvKind = 1;
  h.y = 50, h.u = 0, h.v = 248;
  for (const Bytes& cut : {Bytes{}, Bytes{99, 99}}) {
    Bytes yuvs = {16, 128, 4, 43, 250, 128};
    yuvs.insert(yuvs.end(), cut.begin(), cut.end());
    const Bytes file =
        ImagBuilder::form().ihdr(h).chunk("YUVS", yuvs).idat({0, 0, 0, 0, 0, 0}).bytes();
    const auto picture = decodeOk(file);
    // (16, 128, 4): R = 16 - 170 -> 0, G = 16 + 86
    EXPECT_EQ(rowOf(picture, 0), (std::vector<Pixel>{{0, 102, 16}, {0, 102, 16}}));
    // (43, 250, 128): B = 43 + 54168/256 (211), G = 43 - 10492/256 (40, where 87/256 would give 41)
    EXPECT_EQ(rowOf(picture, 1), (std::vector<Pixel>{{43, 3, 254}, {43, 3, 254}}));
    // (50, 0, 248): R = 50 + 42120/256 (164, where 352/256 would give 165), G = 50 + 11008/256
    // (43, where 257 would give 42) - 21480/256 (83)
    EXPECT_EQ(rowOf(picture, 2), (std::vector<Pixel>{{214, 10, 0}, {214, 10, 0}}));
  }
}

TEST(AccurateDyuv, KindZeroIgnoresYuvs) {
  // The IHDR's start: 16, 128, 128.
  const Bytes file =
      ImagBuilder::form().ihdr(header(3, 1, 1, 1)).chunk("YUVS", {200, 128, 128}).idat({0}).bytes();
  EXPECT_EQ(pixelAt(decodeOk(file), 0, 0), (Pixel{16, 16, 16}));
}

// Which colours a CLUT8 picture of entries 0, 1, 254 and 255 sees: each PLTE loads from its first
// entry on, stops at entry 255, and only those before the picture are in force.
TEST(AccurateClut, PalettesLoadFromTheirFirstEntryUntilThePicture) {
  struct Case {
    std::uint16_t later;
    std::size_t cut;  // bytes cut from the end of the later PLTE
    std::vector<Pixel> row;
    std::uint8_t count = 3;  // colours the later PLTE says it holds; it holds three
  };
  const Case cases[] = {
      {1, 0, {{1, 2, 3}, {7, 8, 9}, kBlack, kBlack}},
      {254, 0, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, kBlack}, 1},     // only the colours it counts
      {254, 0, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}},  // the third colour is dropped
      {254, 4, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, kBlack}},  // a colour cut short is not loaded
      {254, 9, {{1, 2, 3}, {4, 5, 6}, kBlack, kBlack}},     // no colour at all
  };
  for (const Case& c : cases) {
    Bytes later = plteBody(c.later, {{7, 8, 9}, {10, 11, 12}, {13, 14, 15}});
    later.resize(later.size() - c.cut);
    later[3] = c.count;
    ImagBuilder builder = ImagBuilder::form().chunk("PLTE", plteBody(0, {{1, 2, 3}, {4, 5, 6}}));
    builder.chunk("PLTE", later).ihdr(header(4, 4, 4, 1)).idat({0, 1, 254, 255});
    const Bytes file = builder.chunk("PLTE", plteBody(0, {{9, 9, 9}})).bytes();
    EXPECT_EQ(rowOf(decodeOk(file), 0), c.row) << c.later;
    AccurateSummary summary;  // what --info says of the palette: the last one before the picture
    EXPECT_EQ(describeAccurate(file, {}, summary), DecodeStatus::ok);
    EXPECT_EQ(summary.paletteFirst, c.later);
    EXPECT_EQ(summary.paletteChunks, 2);
  }
}

// The palette models, worked out byte by byte: rows of palette entries (-1: black).
TEST(AccurateIndexed, WorkedExamples) {
  struct Case {
    const char* what;
    ImagHeader header;  // model, width, line size, height
    int paletteSize;
    Bytes idat;
    std::vector<std::vector<int>> rows;
    bool complete;
  };
  // clang-format off
  const Case cases[] = {
      {"CLUT7 masks the top bit", header(5, 2, 2, 1), 128, {0x81, 0x05}, {{1, 5}}, true},
      // 3 pixels a line from 2 bytes a line; the low nibble of each line's last byte is unused,
      // not drawn on the next line (the third has no data)
      {"CLUT4: two pixels a byte, high nibble first", header(6, 3, 2, 3), 16,
       {0x12, 0x3F, 0x45, 0x6F}, {{1, 2, 3}, {4, 5, 6}, {-1, -1, -1}}, false},
      {"CLUT4, last line one byte short", header(6, 3, 2, 2), 16, {0x12, 0x3F, 0x45},
       {{1, 2, 3}, {4, 5, -1}}, false},
      // CLUT3 is taken to be CLUT4 with 3-bit indices; no sample file confirms it
      {"CLUT3 masks each nibble to 3 bits", header(7, 2, 1, 1), 16, {0x9A}, {{1, 2}}, true},
      {"RL7 runs end at the line and never spill", header(8, 5, 0, 3), 128,
       {0x05, 0x83, 0x02, 0x81, 0x00,  // line 0: 5 · 3 3 · 1 to the end (2 pixels)
        0x82, 0x09,                    // line 1: 9 pixels of 2, cut at 5
        0x7F, 0x04},                   // line 2: 127 · 4, then the data ends
       {{5, 3, 3, 1, 1}, {2, 2, 2, 2, 2}, {127, 4, -1, -1, -1}}, false},
      {"RL3 codes pixel pairs", header(9, 6, 0, 2), 8,
       {0x35,         // line 0: pair 3, 5
        0x9A, 0x02,   //         pair 1, 2 twice (bit 3 ignored)
        0xC7, 0x00},  // line 1: pair 4, 7 to the end of the line
       {{3, 5, 1, 2, 1, 2}, {4, 7, 4, 7, 4, 7}}, true},
      {"RL3, odd width: the last pair's second pixel is dropped", header(9, 3, 0, 3), 8,
       {0x12, 0x34,        // line 0: 1 2 · 3 (4 dropped)
        0x56, 0xF0, 0x05,  // line 1: 5 6 · 7 (the rest of the run dropped)
        0xA3, 0x00},       // line 2: 2 3 to the end of the line, 2 last
       {{1, 2, 3}, {5, 6, 7}, {2, 3, 2}}, true},
      {"a run without its count byte ends the picture", header(8, 3, 0, 1), 4, {0x01, 0x82},
       {{1, -1, -1}}, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    const auto picture = decodeOk(pictureFile(c.header, c.idat, c.paletteSize));
    for (std::size_t y = 0; y < c.rows.size(); ++y) {
      std::vector<Pixel> row;
      for (int entry : c.rows[y])
        row.push_back(entry < 0 ? kBlack : grey(entry));
      EXPECT_EQ(rowOf(picture, static_cast<int>(y)), row) << c.what << ", line " << y;
    }
    EXPECT_EQ(picture.complete, c.complete) << c.what;
    const int model = c.header.model;
    EXPECT_EQ(picture.doubleResolution, model == 6 || model == 7 || model == 9) << c.what;
  }
}

}  // namespace
