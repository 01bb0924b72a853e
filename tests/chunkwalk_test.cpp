#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "byteswap.h"
#include "container.h"
#include "support/framecheck.h"

namespace {

ImagHeader clut8(int bpr, int h, int model = 4) {
  return ImagHeader::of(model, bpr, h);
}

ImagBuilder greyForm(int colours = 8) {
  return std::move(ImagBuilder::form().plte(greyRamp(colours)));
}

TEST(ByteOrder, MostSignificantFirst) {
  const std::uint8_t bytes[] = {0x81, 0xFE, 0x42, 0xC3};
  EXPECT_EQ(byteswaplp(bytes), 0x81FE42C3u);
  EXPECT_EQ(byteswapsp(bytes), 0x81FE);
  EXPECT_EQ(byteswapl(0x81FE42C3u), 0xC342FE81u);
  EXPECT_EQ(byteswaps(0x81FE), 0xFE81);
}

TEST(Container, AcceptsFormAndCatOfImagOnly) {
  const std::pair<const char*, DecodeStatus> cases[] = {
      {"FORM\x12\x34\x56\x78IMAG", DecodeStatus::ok},
      {"CAT \xFF\xFF\xFF\xFFIMAG", DecodeStatus::ok},
      {"FORM\0\0\0\0IMAX", DecodeStatus::notCdiImage},
      {"CAT\0\0\0\0\0IMAG", DecodeStatus::notCdiImage},
  };
  for (const auto& [header, status] : cases) {
    const auto frame = decodeBytes(Bytes(header, header + 12));
    EXPECT_EQ(frame.status, status) << header;
    // Cleared before the test, drawn on by nothing.
    EXPECT_TRUE(std::all_of(frame.bytes.begin(), frame.bytes.begin() + kShownBytes,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(frame.guardIntact());
  }
}

// Where a writer may have left out an odd chunk's pad byte, the walk looks for an identifier:
// four printable bytes (space to tilde) inside the file.
TEST(Container, IdentifiersAreFourPrintableBytesInTheFile) {
  const Bytes bytes = {0x1F, 'A', ' ', '~', 'C', 0x7F};
  EXPECT_FALSE(printableIdentifier(ByteView(bytes), 0));
  EXPECT_TRUE(printableIdentifier(ByteView(bytes), 1));
  EXPECT_FALSE(printableIdentifier(ByteView(bytes), 2));
  EXPECT_FALSE(printableIdentifier(ByteView(std::span(bytes).first(4)), 1));  // the file ends
  EXPECT_EQ(ByteView(bytes).available(-1), 0);
  EXPECT_EQ(ByteView(bytes).available(std::ssize(bytes) + 1), 0);
}

TEST(ChunkWalk, TheHiddenRowsAreNeverCleared) {
  // One pixel in each of 284 rows: the 4 rows below the shown 280 keep what they held beside it.
  const auto frame = decodeBytes(greyForm().ihdr(clut8(1, 284)).idat(Bytes(284, 7)).bytes());
  for (int y = 280; y < 284; ++y) {
    EXPECT_EQ(frame.pixel(0, y), (Bgr{7, 7, 7})) << y;
    EXPECT_EQ(frame.pixel(1, y), (Bgr{kUnwritten, kUnwritten, kUnwritten})) << y;
    EXPECT_EQ(frame.pixel(383, y), (Bgr{kUnwritten, kUnwritten, kUnwritten})) << y;
  }
  EXPECT_EQ(frame.pixel(1, 279), (Bgr{0, 0, 0}));
}

// Files whose chunks are odd in some way, and the grey levels of pixels the walk then draws.
TEST(ChunkWalk, OddChunks) {
  std::vector<Rgb> oversized = greyRamp(256);
  oversized.resize(300, {1, 2, 3});
  Bytes ihdr10;  // an IHDR body of 10 bytes: the DYUV start values lie beyond it
  for (int v : {1, 1, 1, 4, 8})
    appendU16(ihdr10, static_cast<std::uint32_t>(v));
  Bytes ihdr20 = ihdr10;
  ihdr20.insert(ihdr20.end(), {0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
  const Bytes secondForm = greyForm(9).ihdr(clut8(1, 1)).idat({8}).bytes();
  // clang-format off
  const std::tuple<const char*, Bytes, std::vector<std::array<int, 3>>> cases[] = {
      {"palette of 256", greyForm(256).ihdr(clut8(1, 1)).idat({255}).bytes(), {{0, 0, 255}}},
      {"palette of 16", greyForm(16).ihdr(clut8(2, 1)).idat({15, 16}).bytes(), {{0, 0, 15}, {1, 0, 0}}},
      {"empty palette", greyForm(0).ihdr(clut8(1, 1)).idat({1}).bytes(), {{0, 0, 0}}},
      {"palette past entry 255", ImagBuilder::form().plte(oversized).ihdr(clut8(1, 1)).idat({200}).bytes(), {{0, 0, 200}}},
      {"each palette clears and loads from entry 0 (an offset of 1 is not honoured)",
       ImagBuilder::form().chunk("PLTE", {0, 0, 0, 2, 10, 10, 10, 20, 20, 20}).chunk("PLTE", {0, 1, 0, 1, 30, 30, 30})
           .ihdr(clut8(2, 1)).idat({0, 1}).bytes(),
       {{0, 0, 30}, {1, 0, 0}}},
      {"a palette of 2 bytes moves the walk on 12, past XX",
       ImagBuilder::form().chunk("PLTE", {0, 0}).raw({'X', 'X'}).plte(greyRamp(8)).ihdr(clut8(1, 1)).idat({3}).bytes(),
       {{0, 0, 3}}},
      {"an IHDR of 10 bytes", greyForm().chunk("IHDR", ihdr10).idat({6}).bytes(), {{0, 0, 6}}},
      {"an IHDR of 20 bytes", greyForm().chunk("IHDR", ihdr20).idat({5}).bytes(), {{0, 0, 5}}},
      {"IDAT before any IHDR", greyForm().idat(Bytes(64, 5)).bytes(), {{0, 0, 0}, {63, 0, 0}}},
      {"a pad byte after an odd chunk hides the IHDR",
       greyForm().chunk("ODD ", {1, 2, 3}).raw({0}).ihdr(clut8(1, 1)).idat({7}).bytes(), {{0, 0, 0}}},
      {"lengths of 2^24 or more are passed over",
       greyForm().ihdr(clut8(1, 1)).chunkWithLength("IDAT", 0x01000001, {7}).bytes(), {{0, 0, 0}}},
      {"an IDAT longer than the file draws what is there",
       greyForm(16).ihdr(clut8(8, 8)).chunkWithLength("IDAT", 0x00FFFFFF, Bytes(20, 9)).bytes(), {{3, 2, 9}, {4, 2, 0}}},
      {"a second IDAT continues below the first",
       greyForm().ihdr(clut8(2, 100)).idat(Bytes(200, 1)).idat(Bytes(200, 2)).bytes(),
       {{1, 99, 1}, {1, 100, 2}, {1, 199, 2}, {1, 200, 0}}},
      {"an IDAT below one that ran past the frame draws nothing",
       greyForm().ihdr(clut8(1, 290)).idat(Bytes(290, 7)).ihdr(clut8(1, 1)).idat({9}).bytes(), {{0, 278, 7}, {0, 279, 7}}},
      {"rows of no pixels move the cursor",
       greyForm().ihdr(clut8(4, 0)).idat({1, 2, 3, 4}).ihdr(clut8(0, 5)).idat({}).ihdr(clut8(1, 1)).idat({7}).bytes(),
       {{0, 0, 0}, {0, 4, 0}, {0, 5, 7}}},
      {"a FORM inside a CAT is passed over whole",
       ImagBuilder::cat().plte(greyRamp(8)).ihdr(clut8(1, 1)).idat({5}).raw(secondForm).bytes(), {{0, 0, 5}, {0, 1, 0}}},
      {"IHDR, PLTE, IDAT and unknown chunks between",
       ImagBuilder::form().ihdr(clut8(2, 1)).chunk("JUNK", {1}).plte(greyRamp(8)).chunk("JUNK", {}).idat({3, 6}).bytes(),
       {{0, 0, 3}, {1, 0, 6}}},
  };
  // clang-format on
  for (const auto& [what, file, pixels] : cases) {
    const auto frame = decodeBytes(file);
    EXPECT_EQ(frame.status, DecodeStatus::ok) << what;
    EXPECT_TRUE(frame.guardIntact()) << what;
    for (const auto& [x, y, grey] : pixels) {
      const auto v = static_cast<std::uint8_t>(grey);
      EXPECT_EQ(frame.pixel(x, y), (Bgr{v, v, v})) << what << " at " << x << "," << y;
    }
  }
}

TEST(ChunkWalk, ModelsWithoutDecoderArePassedOver) {
  for (int model : {0, 1, 2, 7, 10, 11, 0xFFFF}) {
    const Bytes file =
        greyForm().ihdr(clut8(4, 4, model)).idat(Bytes(16, 3)).ihdr(clut8(1, 1)).idat({4}).bytes();
    const auto frame = decodeBytes(file);
    EXPECT_EQ(frame.pixel(0, 0), (Bgr{4, 4, 4})) << model;  // the cursor did not move
    EXPECT_EQ(frame.pixel(1, 0), (Bgr{0, 0, 0})) << model;
  }
}

}  // namespace
