#include <gtest/gtest.h>

#include "byteswap.h"

TEST(Byteswap, ReadsMostSignificantByteFirst) {
  const std::uint8_t bytes[] = {0x12, 0x34, 0xAB, 0xCD};
  EXPECT_EQ(byteswaplp(bytes), 0x1234ABCDu);
  EXPECT_EQ(byteswapsp(bytes + 2), 0xABCDu);  // unsigned: no sign from the high bit
  EXPECT_EQ(byteswapl(0x1234ABCDu), 0xCDAB3412u);
  EXPECT_EQ(byteswaps(0xABCD), 0xCDAB);
  EXPECT_EQ(byteswapl(byteswapl(0x80000001u)), 0x80000001u);
}
