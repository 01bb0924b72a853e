#include <gtest/gtest.h>

#include "support/framecheck.h"
#include "support/tempdir.h"

namespace {

TEST(DecodeFile, DecodesIntoTheSharedFrameBufferAtTheProcessThreshold) {
  TempDir dir;
  const ImagHeader header = ImagHeader::of(3, 0, 1, 4);  // Y, U, V start at 16, 128, 128
  const std::string path = dir.write(
      "dyuv.img", ImagBuilder::form().ihdr(header).idat({0xB0, 0x38, 0x07, 0x40}).bytes());
  releaseFrameBuffer();
  const int saved = dyuverrc;
  dyuverrc = 0;
  ASSERT_EQ(decodeDYUV(path.c_str()), 0);
  ASSERT_NE(dyuvasbmpmem, nullptr);
  EXPECT_EQ(dyuvasbmpmem[0], 245);  // blue of the worked example before rule 1
  unsigned char* first = dyuvasbmpmem;
  dyuverrc = 220;
  ASSERT_EQ(decodeDYUV(path.c_str()), 0);
  EXPECT_EQ(dyuvasbmpmem, first);  // allocated once, then reused
  EXPECT_EQ(dyuvasbmpmem[0], 0);
  EXPECT_EQ(decodeDYUV(nullptr), -1);
  dyuverrc = saved;
  releaseFrameBuffer();
}

}  // namespace
