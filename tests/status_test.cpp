#include <gtest/gtest.h>

#include <set>
#include <string>

#include "status.h"

TEST(DecodeStatus, EveryCodeHasItsOwnText) {
  std::set<std::string> texts;
  for (int code = 0; code < kDecodeStatusCount; ++code) {
    const std::string text = decodeStatusText(static_cast<DecodeStatus>(code));
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text, "unknown error") << code;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), static_cast<std::size_t>(kDecodeStatusCount));
  EXPECT_STREQ(decodeStatusText(static_cast<DecodeStatus>(kDecodeStatusCount)), "unknown error");
}
