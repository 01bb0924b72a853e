// Dropped text that names a file: which lines name one, and what path they name. The viewer
// scenarios drop file:/// URIs of names with blanks, other letters and stray bytes; these are
// the other forms.

#include <gtest/gtest.h>

#include "droptext.h"

namespace {

struct DropTextCase {
  const char* text;
  std::optional<std::string> path;
};

const DropTextCase kCases[] = {
    DropTextCase{"file://localhost/home/a/pic.img", "/home/a/pic.img"},
    DropTextCase{"FILE://LocalHost/x.img", "/x.img"},
    DropTextCase{"file:/x.img", "/x.img"},
    DropTextCase{"/home/a/plain path.img", "/home/a/plain path.img"},
    DropTextCase{"  file:///x.img\r\n", "/x.img"},
    DropTextCase{"file:///100%.img", "/100%.img"},     // a lone '%' stays
    DropTextCase{"file:///odd%4", "/odd%4"},           // so does a cut-off escape
    DropTextCase{"file:///nul%00.img", std::nullopt},  // no zero byte in a path
    DropTextCase{"file://otherhost/x.img", std::nullopt},
    DropTextCase{"file://localhost", std::nullopt},
    DropTextCase{"file:relative.img", std::nullopt},
    DropTextCase{"http://example.org/x.img", std::nullopt},
    DropTextCase{"relative/x.img", std::nullopt},
    DropTextCase{"", std::nullopt}};

TEST(PathFromDropText, NamesOnlyLocalFiles) {
  for (const DropTextCase& c : kCases)
    EXPECT_EQ(pathFromDropText(c.text), c.path) << c.text;
}

TEST(FirstPathInDropText, SkipsLinesThatNameNoFile) {
  EXPECT_EQ(firstPathInDropText("# comment\r\nhttp://x/y\r\nfile:///first.img\r\nfile:///second"),
            "/first.img");
  EXPECT_EQ(firstPathInDropText("just words\n"), std::nullopt);
}

}  // namespace
