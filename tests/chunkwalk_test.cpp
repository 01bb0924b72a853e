#include <gtest/gtest.h>

#include <algorithm>

#include "support/framecheck.h"

namespace {

// Entry n of this palette is (n, n, n) for n < count, so a pixel shows which entry it got.
std::vector<Rgb> greyRamp(int count) {
  std::vector<Rgb> palette;
  for (int n = 0; n < count; ++n) {
    const auto v = static_cast<std::uint8_t>(n);
    palette.push_back({v, v, v});
  }
  return palette;
}

ImagHeader clut8(int bpr, int h) {
  ImagHeader header;
  header.model = 4;
  header.width = header.lineSize = static_cast<std::uint16_t>(bpr);
  header.height = static_cast<std::uint16_t>(h);
  return header;
}

bool allBlack(const DecodedFrame& frame) {
  return std::all_of(frame.bytes.begin(), frame.bytes.begin() + kShownBytes,
                     [](std::uint8_t b) { return b == 0; });
}

TEST(Container, AcceptsFormAndCatOfImagOnly) {
  struct Case {
    const char* header;
    DecodeStatus status;
  };
  const Case cases[] = {
      {"FORM\x12\x34\x56\x78IMAG", DecodeStatus::ok},
      {"CAT \xFF\xFF\xFF\xFFIMAG", DecodeStatus::ok},
      {"FORM\0\0\0\0ILBM", DecodeStatus::notCdiImage},
      {"form\0\0\0\0IMAG", DecodeStatus::notCdiImage},
      {"CAT\0\0\0\0\0IMAG", DecodeStatus::notCdiImage},
      {"LIST\0\0\0\0IMAG", DecodeStatus::notCdiImage},
      {"FORM\0\0\0\0IMA\0", DecodeStatus::notCdiImage},
  };
  for (const Case& c : cases) {
    const Bytes file(c.header, c.header + 12);
    const auto frame = decodeBytes(file);
    EXPECT_EQ(frame.status, c.status) << c.header;
    EXPECT_TRUE(allBlack(frame)) << c.header;  // cleared before the test, drawn on by nothing
  }
}

TEST(Container, ShorterThanAHeaderIsRefusedAfterTheClear) {
  const Bytes file = {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'I', 'M', 'A'};
  const auto frame = decodeBytes(file);
  EXPECT_EQ(frame.status, DecodeStatus::tooShort);
  EXPECT_TRUE(allBlack(frame));
  EXPECT_EQ(decodeBytes({}).status, DecodeStatus::tooShort);
}

TEST(Container, CatWalkStartsAt24WhateverBytes12To23Hold) {
  Bytes file = ImagBuilder::cat().plte(greyRamp(8)).ihdr(clut8(1, 1)).idat({7}).bytes();
  std::fill(file.begin() + 12, file.begin() + 24, 'x');
  EXPECT_EQ(decodeBytes(file).pixel(0, 0), (Bgr{7, 7, 7}));
  // A FORM with the same 12 bytes after its header walks them as a chunk ("xxxx", huge length).
  file[0] = 'F', file[1] = 'O', file[2] = 'R', file[3] = 'M';
  const auto form = decodeBytes(file);
  EXPECT_EQ(form.status, DecodeStatus::ok);
  EXPECT_EQ(form.pixel(0, 0), (Bgr{0, 0, 0}));
}

TEST(Container, LaterCatItemsAndBytesAfterTheFormAreWalked) {
  // A second FORM item inside a CAT reads as an unknown chunk and is passed over whole.
  const Bytes second = ImagBuilder::form().plte(greyRamp(9)).ihdr(clut8(1, 1)).idat({8}).bytes();
  const Bytes cat =
      ImagBuilder::cat().plte(greyRamp(8)).ihdr(clut8(1, 1)).idat({5}).raw(second).bytes();
  const auto frame = decodeBytes(cat);
  EXPECT_EQ(frame.pixel(0, 0), (Bgr{5, 5, 5}));
  EXPECT_EQ(frame.pixel(0, 1), (Bgr{0, 0, 0}));
}

TEST(ChunkWalk, HeaderOnlyFileDecodesToBlack) {
  const Bytes file = ImagBuilder::form().bytes();
  const auto frame = decodeBytes(file);
  EXPECT_EQ(frame.status, DecodeStatus::ok);
  EXPECT_TRUE(allBlack(frame));
  EXPECT_EQ(frame.coverage.width, 0);
  EXPECT_EQ(frame.coverage.height, 0);
  // The 4 rows below the shown 280 keep what they held: only the shown rows are cleared.
  EXPECT_TRUE(std::all_of(frame.bytes.begin() + kShownBytes, frame.bytes.begin() + kFrameBytes,
                          [](std::uint8_t b) { return b == kUnwritten; }));
}

TEST(ChunkWalk, PaletteLoadsFromBodyOffsetFour) {
  struct Case {
    int colours;        // colours in the chunk, after its 4 unused bytes
    int shownEntry;     // entry drawn
    std::uint8_t grey;  // expected grey level
  };
  const Case cases[] = {{256, 255, 255}, {16, 15, 15}, {16, 16, 0}, {0, 1, 0}};
  for (const Case& c : cases) {
    const Bytes file = ImagBuilder::form()
                           .plte(greyRamp(c.colours))
                           .ihdr(clut8(1, 1))
                           .idat({static_cast<std::uint8_t>(c.shownEntry)})
                           .bytes();
    EXPECT_EQ(decodeBytes(file).pixel(0, 0), (Bgr{c.grey, c.grey, c.grey})) << c.colours;
  }
}

TEST(ChunkWalk, EachPaletteClearsAndRefillsFromEntryZero) {
  Bytes firstBody = {0, 0, 0, 2, 10, 10, 10, 20, 20, 20};
  Bytes secondBody = {0, 1, 0, 1, 30, 30, 30};  // an offset of 1 is not honoured
  const Bytes file = ImagBuilder::form()
                         .chunk("PLTE", firstBody)
                         .chunk("PLTE", secondBody)
                         .ihdr(clut8(2, 1))
                         .idat({0, 1})
                         .bytes();
  const auto frame = decodeBytes(file);
  EXPECT_EQ(frame.pixel(0, 0), (Bgr{30, 30, 30}));
  EXPECT_EQ(frame.pixel(1, 0), (Bgr{0, 0, 0}));
}

TEST(ChunkWalk, PaletteShorterThanFourBytesMovesOnTwelve) {
  // L = 2: nothing loads and the walk goes on at P + 12, two bytes past the body: those two
  // bytes ("XX") then lead the next chunk header that is read.
  const Bytes file =
      ImagBuilder::form().chunk("PLTE", {0, 0}).raw({'X', 'X'}).ihdr(clut8(1, 1)).idat({0}).bytes();
  const auto frame = decodeBytes(file);
  EXPECT_EQ(frame.status, DecodeStatus::ok);
  EXPECT_EQ(frame.coverage.width, 1);
}

TEST(ChunkWalk, OversizedPaletteDropsWhatDoesNotFit) {
  std::vector<Rgb> colours = greyRamp(256);
  colours.resize(300, {1, 2, 3});
  const Bytes file = ImagBuilder::form().plte(colours).ihdr(clut8(1, 1)).idat({200}).bytes();
  const auto frame = decodeBytes(file);
  EXPECT_EQ(frame.pixel(0, 0), (Bgr{200, 200, 200}));
  EXPECT_TRUE(frame.guardIntact());
}

TEST(ChunkWalk, HeaderReadsFourteenBytesWhateverItsLength) {
  // A 10-byte IHDR: bytes 10-13 (the DYUV start values) come from the next chunk's header,
  // and the next chunk is still looked for at P + 8 + 10.
  Bytes body;
  appendU16(body, 1), appendU16(body, 1), appendU16(body, 1), appendU16(body, 4),
      appendU16(body, 8);
  const Bytes file = ImagBuilder::form().plte(greyRamp(8)).chunk("IHDR", body).idat({6}).bytes();
  EXPECT_EQ(decodeBytes(file).pixel(0, 0), (Bgr{6, 6, 6}));
  // A 20-byte IHDR: the 6 extra bytes are passed over with it.
  Bytes longBody = body;
  longBody.insert(longBody.end(), {0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
  const Bytes longFile =
      ImagBuilder::form().plte(greyRamp(8)).chunk("IHDR", longBody).idat({5}).bytes();
  EXPECT_EQ(decodeBytes(longFile).pixel(0, 0), (Bgr{5, 5, 5}));
}

TEST(ChunkWalk, ModelsWithoutDecoderArePassedOver) {
  for (int model : {0, 1, 2, 7, 10, 11, 0xFFFF}) {
    ImagHeader header = clut8(4, 4);
    header.model = static_cast<std::uint16_t>(model);
    ImagHeader next = clut8(1, 1);
    const Bytes file = ImagBuilder::form()
                           .plte(greyRamp(8))
                           .ihdr(header)
                           .idat(Bytes(16, 3))
                           .ihdr(next)
                           .idat({4})
                           .bytes();
    const auto frame = decodeBytes(file);
    EXPECT_EQ(frame.status, DecodeStatus::ok);
    EXPECT_EQ(frame.pixel(0, 0), (Bgr{4, 4, 4})) << model;  // the cursor did not move
    EXPECT_EQ(frame.pixel(1, 0), (Bgr{0, 0, 0})) << model;
  }
}

TEST(ChunkWalk, IdatBeforeAnyHeaderDrawsNothing) {
  const Bytes file = ImagBuilder::form().plte(greyRamp(8)).idat(Bytes(64, 5)).bytes();
  const auto frame = decodeBytes(file);
  EXPECT_EQ(frame.status, DecodeStatus::ok);
  EXPECT_TRUE(allBlack(frame));
}

TEST(ChunkWalk, SecondIdatContinuesBelowTheFirst) {
  const Bytes file = ImagBuilder::form()
                         .plte(greyRamp(8))
                         .ihdr(clut8(2, 100))
                         .idat(Bytes(200, 1))
                         .idat(Bytes(200, 2))
                         .bytes();
  const auto frame = decodeBytes(file);
  EXPECT_EQ(frame.pixel(1, 99), (Bgr{1, 1, 1}));
  EXPECT_EQ(frame.pixel(1, 100), (Bgr{2, 2, 2}));
  EXPECT_EQ(frame.pixel(1, 199), (Bgr{2, 2, 2}));
  EXPECT_EQ(frame.pixel(1, 200), (Bgr{0, 0, 0}));
}

TEST(ChunkWalk, OddLengthPadByteStartsTheNextIdentifier) {
  // After a 3-byte chunk and a pad byte, the walk reads "\0IHD" as an identifier: the IHDR
  // is not seen and the IDAT that follows has no model.
  const Bytes file = ImagBuilder::form()
                         .plte(greyRamp(8))
                         .chunk("ODD ", {1, 2, 3})
                         .raw({0})
                         .ihdr(clut8(1, 1))
                         .idat({7})
                         .bytes();
  const auto frame = decodeBytes(file);
  EXPECT_EQ(frame.status, DecodeStatus::ok);
  EXPECT_EQ(frame.pixel(0, 0), (Bgr{0, 0, 0}));
}

TEST(ChunkWalk, LengthsOf2To24OrMoreAreNotRecognised) {
  // An IDAT whose length has a nonzero top byte is passed over, which here ends the walk.
  const Bytes file = ImagBuilder::form()
                         .plte(greyRamp(8))
                         .ihdr(clut8(1, 1))
                         .chunkWithLength("IDAT", 0x01000001, {7})
                         .bytes();
  const auto frame = decodeBytes(file);
  EXPECT_EQ(frame.status, DecodeStatus::ok);
  EXPECT_EQ(frame.pixel(0, 0), (Bgr{0, 0, 0}));
}

TEST(ChunkWalk, OrderOfChunksDoesNotMatterWithinAPass) {
  // IHDR, PLTE, IDAT takes two passes and gives the same picture as PLTE, IHDR, IDAT.
  const Bytes one = ImagBuilder::form().plte(greyRamp(8)).ihdr(clut8(2, 1)).idat({3, 6}).bytes();
  const Bytes two = ImagBuilder::form().ihdr(clut8(2, 1)).plte(greyRamp(8)).idat({3, 6}).bytes();
  const Bytes three = ImagBuilder::form()
                          .chunk("JUNK", {1})
                          .plte(greyRamp(8))
                          .chunk("JUNK", {})
                          .ihdr(clut8(2, 1))
                          .chunk("JUNK", {1, 2})
                          .idat({3, 6})
                          .bytes();
  EXPECT_EQ(decodeBytes(one).bytes, decodeBytes(two).bytes);
  EXPECT_EQ(decodeBytes(one).bytes, decodeBytes(three).bytes);
  EXPECT_EQ(decodeBytes(one).pixel(1, 0), (Bgr{6, 6, 6}));
}

TEST(ChunkWalk, OverlongChunkDrawsWhatTheFileHolds) {
  const Bytes overlong = ImagBuilder::form()
                             .plte(greyRamp(16))
                             .ihdr(clut8(8, 8))
                             .chunkWithLength("IDAT", 0x00FFFFFF, Bytes(20, 9))
                             .bytes();
  const auto frame = decodeBytes(overlong);
  EXPECT_EQ(frame.pixel(3, 2), (Bgr{9, 9, 9}));  // what is there is drawn
  EXPECT_EQ(frame.pixel(4, 2), (Bgr{0, 0, 0}));
}

}  // namespace

namespace {

TEST(ChunkWalk, WhateverTheFrameHeldOnlyThePictureShows) {
  // Every shown byte the picture did not draw reads as black afterwards, however the rows
  // overlap: long rows, overshooting runs, gaps between IDAT chunks, data ending mid-row.
  ImagHeader runs = clut8(6, 3);
  runs.model = 8;
  ImagHeader wide = clut8(1000, 3);
  ImagHeader gap = clut8(0, 7);
  const std::vector<Bytes> files = {
      ImagBuilder::form()
          .plte(greyRamp(200))
          .ihdr(runs)
          .idat({0x7F, 0xFF, 0x07, 0x05, 0x85, 0x00, 0x81, 0x00})
          .bytes(),
      ImagBuilder::form().plte(greyRamp(200)).ihdr(wide).idat(Bytes(2500, 9)).bytes(),
      ImagBuilder::form()
          .plte(greyRamp(200))
          .ihdr(clut8(5, 2))
          .idat(Bytes(10, 3))
          .ihdr(gap)
          .idat({})
          .ihdr(clut8(3, 1))
          .idat({4, 4, 4})
          .bytes(),
      ImagBuilder::form()
          .plte(greyRamp(200))
          .ihdr(clut8(384, 300))
          .idat(Bytes(384 * 300, 5))
          .bytes(),
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::vector<std::uint8_t> dirty(kFrameBytes, 0xEE), clean(kFrameBytes, 0x00);
    ASSERT_EQ(decodeImageMemory(
                  files[i], std::span<std::uint8_t, kFrameBytes>(dirty.data(), kFrameBytes), 220),
              DecodeStatus::ok);
    ASSERT_EQ(decodeImageMemory(
                  files[i], std::span<std::uint8_t, kFrameBytes>(clean.data(), kFrameBytes), 220),
              DecodeStatus::ok);
    EXPECT_TRUE(std::equal(dirty.begin(), dirty.begin() + kShownBytes, clean.begin()))
        << "file " << i;
    EXPECT_TRUE(
        std::any_of(clean.begin(), clean.begin() + kShownBytes, [](auto b) { return b != 0; }));
  }
}

}  // namespace
