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
  EXPECT_EQ(decodeDYUV(nullptr), -1);
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
