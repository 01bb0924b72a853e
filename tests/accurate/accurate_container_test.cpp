// The accurate profile's container walk, its refusals and its treatment of short data.

#include <cstring>
#include <tuple>

#include "accuratecheck.h"
#include "support/discimage.h"

namespace {

// A 2 x 1 CLUT8 picture of entries 1 and 2.
ImagBuilder& smallPicture(ImagBuilder& file, std::uint8_t first = 1) {
  return file.chunk("PLTE", plteBody(0, greys(8)))
      .ihdr(header(4, 2, 2, 1))
      .idat({first, std::uint8_t(first + 1)});
}

const std::vector<Pixel> kSmallRow = {grey(1), grey(2)};

TEST(AccurateContainer, OddChunkIsReadWithOrWithoutItsPadByte) {
  for (const bool pad : {true, false}) {
    // Without it, past the pad byte stands "HDR\0", no identifier: the next chunk is at 8 + 3.
    ImagBuilder file = ImagBuilder::form();
    file.chunk("USER", {'a', 'b', 'c'});
    if (pad) file.raw({0x00});
    EXPECT_EQ(rowOf(decodeOk(smallPicture(file).bytes()), 0), kSmallRow) << pad;
  }
}

TEST(AccurateContainer, ContainerLengthsAreIgnored) {
  for (const std::uint32_t length : {0u, 4u, 0x80000000u, 0xFFFFFFFFu}) {
    ImagBuilder form = ImagBuilder::form();
    Bytes file = smallPicture(form).bytes();
    setContainerLength(file, 0, length);
    EXPECT_EQ(rowOf(decodeOk(file), 0), kSmallRow) << length;

    ImagBuilder cat = ImagBuilder::cat();
    file = smallPicture(cat).bytes();
    setContainerLength(file, 0, length);
    setContainerLength(file, 12, length);  // the first item's
    EXPECT_EQ(rowOf(decodeOk(file), 0), kSmallRow) << length;
  }
}

TEST(AccurateContainer, CatHoldsSeveralPictures) {
  ImagBuilder cat = ImagBuilder::cat();
  smallPicture(cat, 1);
  cat.raw({'F', 'O', 'R', 'M', 0, 0, 0, 4, 'I', 'M', 'A', 'X'});  // no picture: passed over
  cat.raw({'F', 'O', 'R', 'M', 0x80, 0, 0, 0, 'I', 'M', 'A', 'G'});
  smallPicture(cat, 3);
  const Bytes file = cat.bytes();
  EXPECT_EQ(accuratePictureCount(file), 2);

  EXPECT_EQ(rowOf(decodeOk(file), 0), kSmallRow);
  AccurateOptions second;
  second.pictureIndex = 1;
  EXPECT_EQ(rowOf(decodeOk(file, second), 0), (std::vector<Pixel>{grey(3), grey(4)}));

  AccuratePicture none;
  second.pictureIndex = 2;
  EXPECT_EQ(decodeAccurate(file, second, none), DecodeStatus::noPicture);
}

TEST(AccurateContainer, PaletteOfOnePictureDoesNotReachTheNext) {
  ImagBuilder cat = ImagBuilder::cat();
  smallPicture(cat);
  cat.raw({'F', 'O', 'R', 'M', 0, 0, 0, 0, 'I', 'M', 'A', 'G'}).ihdr(header(4, 1, 1, 1)).idat({1});
  AccurateOptions second;
  second.pictureIndex = 1;
  EXPECT_EQ(pixelAt(decodeOk(cat.bytes(), second), 0, 0), kBlack);
}

ImagHeader sized(int width, int height) {
  return header(4, width, width, height);
}

TEST(AccurateContainer, RefusalsSayWhy) {
  // clang-format off
  const std::tuple<const char*, Bytes, DecodeStatus> refusals[] = {
      {"eleven bytes", {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'I', 'M', 'A'}, DecodeStatus::tooShort},
      {"not IMAG", {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'I', 'L', 'B', 'M'}, DecodeStatus::notCdiImage},
      {"no chunks", ImagBuilder::form().bytes(), DecodeStatus::noPicture},
      {"no IHDR", ImagBuilder::form().idat({1}).bytes(), DecodeStatus::noPicture},
      {"palette only", ImagBuilder::form().ihdr(header(10, 1, 1, 1)).bytes(), DecodeStatus::noPicture},
      {"model 0", ImagBuilder::form().ihdr(header(0, 1, 1, 1)).bytes(), DecodeStatus::unknownModel},
      {"model 11", ImagBuilder::form().ihdr(header(11, 1, 1, 1)).bytes(), DecodeStatus::unknownModel},
      {"IHDR of 13 bytes", ImagBuilder::form().chunk("IHDR", Bytes(13, 1)).bytes(), DecodeStatus::badHeader},
      {"width 0", ImagBuilder::form().ihdr(sized(0, 1)).bytes(), DecodeStatus::badHeader},
      {"height 0", ImagBuilder::form().ihdr(sized(1, 0)).bytes(), DecodeStatus::badHeader},
      {"65535 x 65535", ImagBuilder::form().ihdr(sized(65535, 65535)).bytes(), DecodeStatus::pictureTooLarge},
      {"8192 x 8193", ImagBuilder::form().ihdr(sized(8192, 8193)).bytes(), DecodeStatus::pictureTooLarge},
  };
  // clang-format on
  for (const auto& [name, file, status] : refusals) {
    AccuratePicture picture;
    picture.width = 7;  // whatever was there before is dropped
    EXPECT_EQ(decodeAccurate(file, {}, picture), status) << name;
    EXPECT_EQ(picture.width, 0) << name;
    EXPECT_TRUE(picture.rgb.empty()) << name;
  }
}

// A 3 x 1 CLUT8 picture with less data than it needs: what is there is drawn, the rest is black.
TEST(AccurateContainer, ShortDataLeavesTheRestBlack) {
  const auto picture = [](ImagBuilder file) { return decodeOk(file.bytes()); };
  const auto form = [] {
    return std::move(
        ImagBuilder::form().chunk("PLTE", plteBody(0, greys(8))).ihdr(header(4, 3, 3, 1)));
  };
  // clang-format off
  const std::tuple<const char*, AccuratePicture, std::vector<Pixel>> cases[] = {
      {"2 bytes of 3", picture(form().idat({1, 2})), {grey(1), grey(2), kBlack}},
      {"the bytes after the IDAT are not pixels", picture(form().idat({1, 2}).raw({3, 3, 3, 3})), {grey(1), grey(2), kBlack}},
      {"an IDAT longer than the file", picture(form().chunkWithLength("IDAT", 0x80000000u, {5})), {grey(5), kBlack, kBlack}},
      {"no IDAT", picture(form()), {kBlack, kBlack, kBlack}},
  };
  // clang-format on
  for (const auto& [what, decoded, row] : cases) {
    EXPECT_EQ(rowOf(decoded, 0), row) << what;
    EXPECT_FALSE(decoded.complete) << what;
  }
}

TEST(AccurateAspect, WideningRespectsThePixelCapAndHappensOnce) {
  ImagBuilder form = ImagBuilder::form();
  AccuratePicture picture = decodeOk(smallPicture(form).bytes());
  EXPECT_FALSE(widenToScreenAspect(picture, 3));
  EXPECT_EQ(picture.width, 2);
  EXPECT_TRUE(widenToScreenAspect(picture, 4) && widenToScreenAspect(picture));  // 4: the cap
  EXPECT_EQ(rowOf(picture, 0), (std::vector<Pixel>{grey(1), grey(1), grey(2), grey(2)}));
}

}  // namespace
