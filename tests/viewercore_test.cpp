#include <gtest/gtest.h>

#include "support/tempdir.h"
#include "viewercore.h"

namespace {

TEST(CommandLine, JoinsArgumentsWithSingleSpaces) {
  const char* none[] = {"dragndrop"};
  const char* three[] = {"dragndrop", "my", "pic.img", ""};
  EXPECT_EQ(commandLineText(1, none), "");
  EXPECT_EQ(commandLineText(4, three), "my pic.img ");
}

TEST(CommandLine, QuotesAreCutFromTheEndsOnly) {
  struct Case {
    const char* text;
    const char* path;
  };
  const Case cases[] = {
      {"", ""},
      {"pic.img", "pic.img"},
      {"my pic.img", "my pic.img"},                   // no quotes needed for a blank
      {"\"my pic.img\"", "my pic.img"},               // both quotes removed
      {"\"my pic.img\" extra", "my pic.img\" extr"},  // only the last character is cut
      {"\"", ""},                                     // a lone quote leaves nothing
      {"pic\"", "pic\""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(argvlineFrom(c.text), c.path) << c.text;
  EXPECT_EQ(argvlineFrom(nullptr), "");
  const std::string longPath = "/" + std::string(5000, 'a');
  EXPECT_EQ(argvlineFrom(("\"" + longPath + "\"").c_str()), longPath);  // never truncated
}

TEST(Caption, InvalidUtf8BytesAreReplaced) {
  EXPECT_EQ(validUtf8("caf\xC3\xA9 \xE2\x82\xAC.img"), "caf\xC3\xA9 \xE2\x82\xAC.img");
  EXPECT_EQ(validUtf8("a\xE9z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(validUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");                  // overlong
  EXPECT_EQ(validUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
  EXPECT_EQ(validUtf8("\xF0\x9F\x98"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // cut short
}

class Viewer : public ::testing::Test {
 protected:
  TempDir dir;
  std::string good(const std::string& name) {
    ImagHeader header;
    header.model = 4, header.lineSize = 1, header.height = 1;
    return dir.write(name, ImagBuilder::form().plte({{0xFF, 0, 0}}).ihdr(header).idat({0}).bytes());
  }
};

TEST_F(Viewer, CommandLineFileIsDecodedOnceAfterTheFirstPaint) {
  const std::string path = good("first.img");
  ViewerCore core(path);
  core.onCreate();
  EXPECT_EQ(dyuverrc, 220);
  EXPECT_EQ(core.frame(), nullptr);  // only grey is painted before any decode
  ASSERT_TRUE(core.argvPending());
  const Reaction reaction = core.onCommand(IDM_DECODE_ARGV);
  core.argvDecoded();
  EXPECT_TRUE(reaction.setCaption);
  EXPECT_EQ(reaction.caption, path);
  EXPECT_FALSE(reaction.repaint);
  ASSERT_NE(core.frame(), nullptr);
  EXPECT_EQ(core.frame()[2], 0xFF);
  EXPECT_FALSE(core.argvPending());
}

TEST_F(Viewer, DropsDecodeTheFirstFileOnly) {
  ViewerCore core("");
  EXPECT_FALSE(core.argvPending());
  const std::string first = good("one.img");
  const Reaction reaction = core.onDrop({first, dir.write("bad.img", {'x'})});
  EXPECT_EQ(reaction.caption, first);
  EXPECT_TRUE(reaction.repaint);
  EXPECT_EQ(reaction.status, DecodeStatus::ok);
}

TEST_F(Viewer, FailedDropsShowTheTitle) {
  ViewerCore core("");
  core.onDrop({good("one.img")});
  const Reaction missing = core.onDrop({dir.path("missing.img").string()});
  EXPECT_EQ(missing.caption, szAppname);
  EXPECT_EQ(missing.status, DecodeStatus::cannotOpen);
  EXPECT_EQ(core.frame()[2], 0xFF);  // previous picture kept
  const Reaction refused = core.onDrop(
      {dir.write("text.txt", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'})});
  EXPECT_EQ(refused.caption, szAppname);
  EXPECT_EQ(refused.status, DecodeStatus::notCdiImage);
  EXPECT_EQ(core.frame()[2], 0x00);  // black frame
  EXPECT_FALSE(core.onDrop({}).setCaption);
}

}  // namespace
