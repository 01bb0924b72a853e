#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/framecheck.h"
#include "support/tempdir.h"

namespace {

Bytes oneRedPixel() {
  ImagHeader header;
  header.model = 4, header.lineSize = 1, header.height = 1;
  return ImagBuilder::form().plte({{0xFF, 0, 0}}).ihdr(header).idat({0}).bytes();
}

class DecodeFile : public ::testing::Test {
 protected:
  void TearDown() override { releaseFrameBuffer(); }
  TempDir dir;
};

TEST_F(DecodeFile, DecodesIntoTheSharedFrameBuffer) {
  releaseFrameBuffer();
  EXPECT_EQ(decodeDYUV(dir.write("red.img", oneRedPixel()).c_str()), 0);
  ASSERT_NE(dyuvasbmpmem, nullptr);
  EXPECT_EQ(dyuvasbmpmem[0], 0x00);
  EXPECT_EQ(dyuvasbmpmem[2], 0xFF);
  unsigned char* first = dyuvasbmpmem;
  EXPECT_EQ(decodeDYUV(dir.write("again.img", oneRedPixel()).c_str()), 0);
  EXPECT_EQ(dyuvasbmpmem, first);  // allocated once, then reused
}

TEST_F(DecodeFile, FailuresBeforeTheClearKeepThePreviousPicture) {
  ASSERT_EQ(decodeDYUV(dir.write("red.img", oneRedPixel()).c_str()), 0);
  std::filesystem::create_directory(dir.path("folder"));
  struct Case {
    std::string path;
    DecodeStatus status;
  };
  const Case cases[] = {
      {dir.path("missing.img").string(), DecodeStatus::cannotOpen},
      {dir.write("empty.img", {}), DecodeStatus::empty},
      {dir.path("folder").string(), DecodeStatus::notRegularFile},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decodeFile(c.path.c_str()), c.status) << c.path;
    EXPECT_EQ(decodeDYUV(c.path.c_str()), -1) << c.path;
    EXPECT_EQ(dyuvasbmpmem[2], 0xFF) << c.path;
  }
  EXPECT_EQ(decodeDYUV(nullptr), -1);
}

TEST_F(DecodeFile, RefusedContainerLeavesABlackFrame) {
  ASSERT_EQ(decodeDYUV(dir.write("red.img", oneRedPixel()).c_str()), 0);
  Bytes notImag = oneRedPixel();
  std::memcpy(notImag.data() + 8, "ILBM", 4);
  EXPECT_EQ(decodeFile(dir.write("ilbm.img", notImag).c_str()), DecodeStatus::notCdiImage);
  EXPECT_TRUE(std::all_of(dyuvasbmpmem, dyuvasbmpmem + kShownBytes, [](auto b) { return b == 0; }));
  EXPECT_EQ(decodeFile(dir.write("short.img", {'F', 'O', 'R', 'M'}).c_str()),
            DecodeStatus::tooShort);
}

TEST_F(DecodeFile, UsesTheProcessThreshold) {
  ImagHeader header;
  header.model = 3, header.lineSize = 4, header.height = 1, header.y = 16;
  const std::string path = dir.write(
      "dyuv.img", ImagBuilder::form().ihdr(header).idat({0xB0, 0x38, 0x07, 0x40}).bytes());
  const int saved = dyuverrc;
  dyuverrc = 0;
  ASSERT_EQ(decodeDYUV(path.c_str()), 0);
  EXPECT_EQ(dyuvasbmpmem[0], 245);
  dyuverrc = 220;
  ASSERT_EQ(decodeDYUV(path.c_str()), 0);
  EXPECT_EQ(dyuvasbmpmem[0], 0);
  dyuverrc = saved;
}

}  // namespace
