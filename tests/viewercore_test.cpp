#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "savename.h"
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

TEST(FileList, NaturalOrder) {
  const std::vector<std::string> sorted = {"a",      "pic1",   "pic2",   "pic02b", "pic10",
                                           "pic10a", "pic10b", "pic011", "pic99x", "picture"};
  for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
    EXPECT_TRUE(naturalLess(sorted[i], sorted[i + 1])) << sorted[i] << " < " << sorted[i + 1];
    EXPECT_FALSE(naturalLess(sorted[i + 1], sorted[i])) << sorted[i + 1] << " < " << sorted[i];
  }
  EXPECT_NE(naturalLess("pic02", "pic2"), naturalLess("pic2", "pic02"));  // still one order
}

TEST(FileList, StaysPutAtEitherEnd) {
  FileList list({"a", "b", "c"});
  EXPECT_FALSE(list.move(-1));
  EXPECT_TRUE(list.move(+1));
  EXPECT_EQ(list.current(), "b");
  EXPECT_TRUE(list.jump(-1));
  EXPECT_EQ(list.current(), "c");
  EXPECT_FALSE(list.move(+1));
  EXPECT_FALSE(list.jump(-1));
  EXPECT_TRUE(list.jump(0));
  EXPECT_EQ(list.current(), "a");
  EXPECT_FALSE(FileList().move(1));
}

TEST(Keys, OneCommandPerKeyAndShiftIgnored) {
  std::set<std::pair<int, int>> seen;
  for (const KeyBinding& binding : keyBindings()) {
    EXPECT_TRUE(seen.insert({binding.key, binding.modifiers}).second) << keyName(binding);
    EXPECT_EQ(findBinding(binding.key, binding.modifiers), &binding);
  }
  const KeyBinding* plus = findBinding('=', kModNone);  // Shift+= types '+' on many layouts
  ASSERT_NE(plus, nullptr);
  EXPECT_EQ(plus->command, ViewerCommand::zoom);
  EXPECT_EQ(findBinding('=', kModNone), plus);
  EXPECT_EQ(findBinding('s', kModNone), nullptr);  // only Ctrl+S saves
  EXPECT_EQ(findBinding('s', kModCtrl)->command, ViewerCommand::save);
  const std::string list = keyListText();
  for (const char* key : {"Ctrl+S", "PageDown", "Keypad +", "Space", "F11", "Esc"})
    EXPECT_NE(list.find(key), std::string::npos) << key;
}

TEST(Options, CommandLine) {
  using A = ViewerOptions::Action;
  struct Case {
    std::vector<std::string> args;
    A action;
    int zoom;
    std::size_t files;
  };
  const Case cases[] = {
      {{}, A::view, 1, 0},
      {{"--zoom", "3", "--fit", "a.img"}, A::view, 3, 1},
      {{"--zoom=16", "--", "--help"}, A::view, 16, 1},  // after --, a file
      {{"-", "--fit"}, A::view, 1, 2},                  // "-" is a file; options end there
      {{"a.img", "--help"}, A::view, 1, 2},
      {{"--help", "--bogus"}, A::help, 1, 0},
      {{"--version"}, A::version, 1, 0},
      {{"--bogus"}, A::usageError, 1, 0},
      {{"-x"}, A::usageError, 1, 0},
      {{"--zoom"}, A::usageError, 1, 0},
      {{"--zoom", "17"}, A::usageError, 1, 0},
      {{"--zoom", "2x"}, A::usageError, 1, 0},
  };
  for (const Case& c : cases) {
    const ViewerOptions options = parseViewerOptions(c.args);
    const std::string args = ::testing::PrintToString(c.args);
    EXPECT_EQ(options.action, c.action) << args;
    EXPECT_EQ(options.zoom, c.zoom) << args;
    EXPECT_EQ(options.arguments.size(), c.files) << args;
  }
  EXPECT_TRUE(parseViewerOptions({"--accurate", "--fullscreen"}).accurate);
}

TEST(Layout, ScalesPlacesAndPans) {
  struct Case {
    int width, height, clientWidth, clientHeight;
    ViewMode mode;
    Layout expected;
  };
  const Case cases[] = {
      // the start: 1:1 at the top-left, cut by a small window, grey beside a large one
      {384, 280, 384, 280, {}, {{0, 0, 384, 280}, {0, 0, 384, 280}, 1}},
      {384, 280, 200, 120, {}, {{0, 0, 200, 120}, {0, 0, 200, 120}, 1}},
      {384, 280, 500, 400, {}, {{0, 0, 384, 280}, {0, 0, 384, 280}, 1}},
      // zoom: from the top-left; only pixels that reach the window, the first one cut by the pan
      {384, 280, 1000, 700, {.zoom = 3}, {{0, 0, 334, 234}, {0, 0, 1002, 702}, 3}},
      {384,
       280,
       1000,
       700,
       {.zoom = 3, .panX = 7, .panY = 3},
       {{2, 1, 334, 234}, {-1, 0, 1002, 702}, 3}},
      {384,
       280,
       1000,
       700,
       {.zoom = 3, .panX = 9999, .panY = -5},
       {{50, 0, 334, 234}, {-2, 0, 1002, 702}, 3}},
      {10, 10, 100, 100, {.zoom = 40}, {{0, 0, 7, 7}, {0, 0, 112, 112}, 16}},
      // fit: the largest whole scale, centred; a picture larger than the window shrinks
      {384, 280, 3840, 2160, {.fit = true}, {{0, 0, 384, 280}, {576, 100, 2688, 1960}, 7}},
      {384, 280, 1920, 1080, {.fit = true}, {{0, 0, 384, 280}, {384, 120, 1152, 840}, 3}},
      {1, 1, 3840, 2160, {.fit = true}, {{0, 0, 1, 1}, {1912, 1072, 16, 16}, 16}},
      {800, 400, 400, 300, {.fit = true}, {{0, 0, 800, 400}, {0, 50, 400, 200}, 0}},
      // the accurate profile's start: larger pictures shrink at the top-left, smaller stay
      {800, 400, 400, 300, {.shrinkLarger = true}, {{0, 0, 800, 400}, {0, 0, 400, 200}, 0}},
      {200, 100, 400, 300, {.shrinkLarger = true}, {{0, 0, 200, 100}, {0, 0, 200, 100}, 1}},
      {0, 0, 400, 300, {}, {{}, {}, 0}},
  };
  for (const Case& c : cases) {
    const Layout got = layoutPicture(c.width, c.height, c.clientWidth, c.clientHeight, c.mode);
    EXPECT_EQ(got, c.expected) << c.width << "x" << c.height << " in " << c.clientWidth << "x"
                               << c.clientHeight << " zoom " << c.mode.zoom << " fit "
                               << c.mode.fit;
  }
}

TEST(Save, NeverTakesAnExistingName) {
  const std::set<std::string> existing = {"/p/pic.png", "/p/pic-2.png"};
  const auto taken = [&](const std::string& path) { return existing.count(path) > 0; };
  EXPECT_EQ(savePathFor("/p/pic.img", taken), "/p/pic-3.png");
  EXPECT_EQ(savePathFor("/p/other.img", taken), "/p/other.png");
  EXPECT_EQ(savePathFor("/p/pic", taken), "/p/pic-3.png");
#ifndef _WIN32  // Windows makes symbolic links only with a privilege, Wine not at all
  TempDir dir;
  std::filesystem::create_symlink(dir.path("nowhere"), dir.path("link.png"));
  EXPECT_EQ(savePathFor(dir.path("link.img").string()), dir.path("link-2.png").string());
#endif
}

class Viewer : public ::testing::Test {
 protected:
  TempDir dir;
  // A 1 x 1 CLUT8 picture of one colour.
  Bytes clut8(Rgb colour) {
    ImagHeader header;
    header.model = 4, header.width = 1, header.lineSize = 1, header.height = 1;
    return ImagBuilder::form().plte({colour}).ihdr(header).idat({0}).bytes();
  }
  std::string good(const std::string& name, Rgb colour = {0xFF, 0, 0}) {
    return dir.write(name, clut8(colour));
  }
  // RGB888: the classic profile draws nothing, the accurate one a 2 x 1 picture.
  std::string rgb888(const std::string& name) {
    ImagHeader header;
    header.model = 1, header.width = 2, header.lineSize = 6, header.height = 1;
    return dir.write(name, ImagBuilder::form().ihdr(header).idat({1, 2, 3, 4, 5, 6}).bytes());
  }
  // A CAT of `count` 1 x 1 CLUT8 pictures, the first red, the others green.
  std::string cat(const std::string& name, int count) {
    ImagHeader header;
    header.model = 4, header.width = 1, header.lineSize = 1, header.height = 1;
    ImagBuilder file = ImagBuilder::cat();
    file.plte({{0xFF, 0, 0}}).ihdr(header).idat({0});
    for (int i = 1; i < count; ++i) {
      file.raw({'F', 'O', 'R', 'M', 0, 0, 0, 0, 'I', 'M', 'A', 'G'});
      file.plte({{0, 0xFF, 0}}).ihdr(header).idat({0});
    }
    return dir.write(name, file.bytes());
  }
  static Reaction key(ViewerCore& core, int key, int modifiers = kModNone) {
    return core.onKey(key, modifiers);
  }
};

TEST_F(Viewer, ArgumentsFoldersAndNaturalOrder) {
  std::filesystem::create_directories(dir.path("pics/sub"));
  std::filesystem::create_directories(dir.path("my pics"));
  const std::string p10 = good("pics/pic10.img"), p2 = good("pics/pic2.img");
  const std::string cat = this->cat("pics/pic3.cat", 2);
  good("pics/sub/pic1.img");                          // not recursed into
  dir.write("pics/notes.txt", {'F', 'O', 'R', 'M'});  // too short to be a picture
  dir.write("pics/pic1.img", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'I', 'L', 'B', 'M'});
  const std::string blank = good("my pics/a b.img");
  const std::string a = good("a.img"), b = good("b.img");
  const std::string folder = dir.path("pics").string();
  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {{}, {}},
      {{a}, {a}},
      {{"\"" + a + "\""}, {a}},  // one argument: the Windows command-line rule
      {{a, b, dir.path("missing.img").string()}, {a, b, dir.path("missing.img").string()}},
      {{dir.path("my").string(), "b.img"}, {dir.path("my").string(), "b.img"}},
      {{dir.path("my pics/a").string(), "b.img"}, {blank}},  // the joined text names a file
      {{folder}, {p2, cat, p10}},
      {{b, folder, a}, {b, p2, cat, p10, a}},
  };
  // Compared with the system's separators: Windows joins a folder's pictures with a backslash.
  const auto preferred = [](std::vector<std::string> paths) {
    for (std::string& path : paths)
      path = std::filesystem::path(path).make_preferred().string();
    return paths;
  };
  for (const Case& c : cases) {
    EXPECT_EQ(preferred(filesFromArguments(c.arguments)), preferred(c.files))
        << ::testing::PrintToString(c.arguments);
  }
}

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

TEST_F(Viewer, OtherCommandsDoNothing) {
  ViewerCore core(good("a.img"));
  const Reaction reaction = core.onCommand(1235);
  EXPECT_FALSE(reaction.setCaption);
  EXPECT_FALSE(reaction.repaint);
  EXPECT_EQ(core.frame(), nullptr);
}

TEST_F(Viewer, DropsDecodeTheFirstFileAndBecomeTheList) {
  ViewerCore core("");
  EXPECT_FALSE(core.argvPending());
  const std::string first = good("one.img");
  const std::string bad = dir.write("bad.img", {'x'});
  const Reaction reaction = core.onDrop({first, bad});
  EXPECT_EQ(reaction.caption, first);
  EXPECT_TRUE(reaction.repaint);
  EXPECT_EQ(reaction.status, DecodeStatus::ok);
  EXPECT_TRUE(core.message().empty());  // the second file was not read
  core.addDropped(good("three.img", {0, 0, 0xFF}));
  EXPECT_EQ(core.files().size(), 3u);
  EXPECT_EQ(key(core, kKeyEnd).caption, dir.path("three.img").string());
  EXPECT_EQ(core.frame()[0], 0xFF);  // blue
  const Reaction back = key(core, kKeyBackSpace);
  EXPECT_EQ(back.caption, szAppname);
  EXPECT_EQ(back.report, bad + ": " + decodeStatusText(DecodeStatus::tooShort));
  EXPECT_NE(core.message().find("bad.img"), std::string::npos);
  EXPECT_FALSE(core.expireMessage(ViewerCore::Clock::now()));  // it shows for a while
  EXPECT_TRUE(core.expireMessage(*core.messageDeadline()));
  EXPECT_TRUE(core.message().empty());
  EXPECT_FALSE(core.messageDeadline());
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

TEST_F(Viewer, ProfileHoldsAcrossFilesAndPagesThroughACat) {
  const std::string one = good("one.img"), cat = this->cat("two.cat", 3);
  ViewerOptions options;
  options.accurate = true;
  options.arguments = {one, cat};
  ViewerCore core(options);
  EXPECT_EQ(core.onCommand(IDM_DECODE_ARGV).caption, one + " [accurate]");
  EXPECT_EQ(key(core, kKeyPageDown).caption, "");  // a FORM has one picture: nothing to do
  EXPECT_EQ(key(core, 'n').caption, cat + " [accurate 1/3]");
  EXPECT_EQ(key(core, kKeyPageDown).caption, cat + " [accurate 2/3]");
  EXPECT_EQ(core.accuratePicture()->rgb[1], 0xFF);  // the second picture is green
  key(core, kKeyPageDown);
  EXPECT_FALSE(key(core, kKeyPageDown).setCaption);  // stays at the last
  EXPECT_EQ(key(core, kKeyTab).caption, cat);
  EXPECT_FALSE(key(core, kKeyPageUp).setCaption);  // the classic profile has no pages
  EXPECT_EQ(key(core, 'p').caption, one);          // the classic profile holds too
}

TEST_F(Viewer, WarnsOfFilesThatShowLittleOrNothing) {
  ImagHeader header;
  header.model = 4, header.width = 2, header.lineSize = 2, header.height = 2;
  const auto clut8 = [&](const Bytes& idat) {
    return ImagBuilder::form().plte({{1, 2, 3}}).ihdr(header).idat(idat).bytes();
  };
  struct Case {
    std::string path;
    const char* says;  // part of the message; "" for none
  };
  const Case cases[] = {
      {dir.write("whole.img", clut8({0, 0, 0, 0})), ""},
      {dir.write("short.img", clut8({0, 0, 0})), "ends early"},
      {dir.write("none.img", ImagBuilder::form().ihdr(header).bytes()), "no picture data"},
      {rgb888("deep.img"), "press Tab"},
  };
  for (const Case& c : cases) {
    ViewerCore core(c.path);
    const Reaction reaction = core.onCommand(IDM_DECODE_ARGV);
    EXPECT_EQ(reaction.status, DecodeStatus::ok);
    if (*c.says == '\0') {
      EXPECT_EQ(core.message(), "") << c.path;
      EXPECT_EQ(reaction.report, "") << c.path;
    } else {
      EXPECT_NE(core.message().find(c.says), std::string::npos) << core.message();
      EXPECT_EQ(reaction.report.find(c.path), 0u) << reaction.report;  // for standard error
    }
  }
}

TEST_F(Viewer, PanelSaysWhatShows) {
  ViewerCore core(cat("two.cat", 2));
  core.onCommand(IDM_DECODE_ARGV);
  EXPECT_TRUE(core.panelText().empty());
  EXPECT_TRUE(key(core, 'i').repaint);
  const std::vector<std::string> expected = {"two.cat  (1/1)", "CAT with 2 pictures",
                                             "CLUT8, 1 x 1", "palette: 1 entry",
                                             "classic profile, zoom 1:1"};
  EXPECT_EQ(core.panelText(), expected);
  key(core, '+');
  EXPECT_EQ(core.panelText().back(), "classic profile, zoom 2x");
}

TEST_F(Viewer, ZoomFitAndFullScreen) {
  ViewerCore core(good("one.img"));
  core.onCommand(IDM_DECODE_ARGV);
  core.onResize(384, 280);
  EXPECT_EQ(key(core, '+').resizeTo, (ClientSize{768, 560}));
  core.onResize(700, 500);  // the screen allowed less
  EXPECT_EQ(core.view().layout.scale, 2);
  EXPECT_TRUE(core.onDrag(-51, -30).repaint);  // pans by client pixels: half a picture pixel
  EXPECT_EQ(core.view().layout.source.x, 25);
  EXPECT_EQ(core.view().layout.destination.x, -1);
  core.onDrag(-500, 0);  // no further than the right edge: 768 - 700
  EXPECT_EQ(core.view().layout.source.x, 34);
  for (int i = 0; i < 20; ++i)
    key(core, kKeyPadPlus);
  EXPECT_EQ(core.mode().zoom, kMaxZoom);
  EXPECT_EQ(key(core, '0').resizeTo, (ClientSize{384, 280}));
  key(core, 'w');
  core.onResize(1200, 900);
  EXPECT_EQ(core.view().layout, (Layout{{0, 0, 384, 280}, {24, 30, 1152, 840}, 3}));
  EXPECT_EQ(key(core, '-').resizeTo, (ClientSize{768, 560}));  // out from the fitted 3x
  const Reaction full = key(core, 'f');
  EXPECT_EQ(full.fullScreen, true);
  core.onResize(3840, 2160);
  EXPECT_EQ(core.view().layout.scale, 7);
  EXPECT_FALSE(key(core, kKeyEscape).quit);  // Esc leaves full screen
  EXPECT_FALSE(core.fullScreen());
  EXPECT_EQ(core.mode().zoom, 2);
  EXPECT_TRUE(key(core, kKeyEscape).quit);
}

TEST_F(Viewer, SaveWritesBesideTheFileAndNeverOverwrites) {
  const std::string path = good("pic.img");
  ViewerCore core(path);
  EXPECT_EQ(key(core, 's', kModCtrl).report, "");  // nothing decoded: nothing to save
  EXPECT_EQ(core.message(), "nothing to save");
  core.onCommand(IDM_DECODE_ARGV);
  key(core, 's', kModCtrl);
  EXPECT_EQ(core.message(), "saved " + dir.path("pic.png").string());
  key(core, kKeyTab);
  key(core, 's', kModCtrl);
  EXPECT_EQ(core.message(), "saved " + dir.path("pic-2.png").string());
  const auto size = [&](const char* name) { return std::filesystem::file_size(dir.path(name)); };
  EXPECT_GT(size("pic.png"), size("pic-2.png"));  // the whole 384 x 280 frame, then 1 x 1
}

}  // namespace
