// Dropped text that names a file: which lines name one, and what path they name. The viewer
// scenarios drop file:/// URIs of names with blanks, other letters and stray bytes; these are
// the other forms.

#include <gtest/gtest.h>

#include "droptext.h"

namespace {

TEST(PathFromDropText, NamesOnlyLocalFiles) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"file://localhost/home/a/pic.img", "/home/a/pic.img"},
      {"FILE://LocalHost/x.img", "/x.img"},
      {"file:/x.img", "/x.img"},
      {"/home/a/plain path.img", "/home/a/plain path.img"},
      {"  file:///x.img\r\n", "/x.img"},
      {"file:///100%.img", "/100%.img"},     // a lone '%' stays
      {"file:///odd%4", "/odd%4"},           // so does a cut-off escape
      {"file:///nul%00.img", std::nullopt},  // no zero byte in a path
      {"file://otherhost/x.img", std::nullopt},
      {"file://localhost", std::nullopt},
      {"file:relative.img", std::nullopt},
      {"http://example.org/x.img", std::nullopt},
      {"relative/x.img", std::nullopt},
      {"", std::nullopt}};
  for (const auto& [text, path] : cases)
    EXPECT_EQ(pathFromDropText(text), path) << text;
}

TEST(FirstPathInDropText, SkipsLinesThatNameNoFile) {
  EXPECT_EQ(firstPathInDropText("# comment\r\nhttp://x/y\r\nfile:///first.img\r\nfile:///second"),
            "/first.img");
  EXPECT_EQ(firstPathInDropText("just words\n"), std::nullopt);
}

}  // namespace
