#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <tuple>

#include "outputname.h"
#include "support/tempdir.h"
#include "viewercore.h"

namespace {

TEST(CommandLine, QuotesAreCutFromTheEndsOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"\"my pic.img\"", "my pic.img"},               // both quotes removed
      {"\"my pic.img\" extra", "my pic.img\" extr"},  // only the last character is cut
      {"\"", ""},                                     // a lone quote leaves nothing
      {"pic\"", "pic\""},
  };
  for (const auto& [text, path] : cases)
    EXPECT_EQ(argvlineFrom(text), path) << text;
  EXPECT_EQ(argvlineFrom(nullptr), "");
  const std::string longPath = "/" + std::string(5000, 'a');
  EXPECT_EQ(argvlineFrom(("\"" + longPath + "\"").c_str()), longPath);  // never truncated
  const char* const argv[] = {"dragndrop", "my", "pic.img"};
  EXPECT_EQ(commandLineText(3, argv), "my pic.img");
}

TEST(Caption, InvalidUtf8BytesAreReplaced) {
  EXPECT_EQ(validUtf8("caf\xC3\xA9 \xE2\x82\xAC.img"), "caf\xC3\xA9 \xE2\x82\xAC.img");
  EXPECT_EQ(validUtf8("a\xE9z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(validUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");                  // overlong
  EXPECT_EQ(validUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
  EXPECT_EQ(validUtf8("\xF0\x9F\x98"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // cut short
  EXPECT_EQ(validUtf8("\xC2\x80\xDF\xBF\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"),
            "\xC2\x80\xDF\xBF\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");  // the limits kept
  EXPECT_EQ(validUtf8("\xF5\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(validUtf8("\xE0\xA0\x80"), "\xE0\xA0\x80");  // U+0800, the first of three bytes
  EXPECT_EQ(validUtf8("\xE0\x9F\xBF"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong
  EXPECT_EQ(validUtf8("\xE2\x82\xC0"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // no follower
  EXPECT_EQ(validUtf8("\xE2\x82\x7F"), "\xEF\xBF\xBD\xEF\xBF\xBD\x7F");  // its third no follower
  EXPECT_EQ(validUtf8("\xF0\x8F\xBF\xBF"),                               // overlong
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(FileList, NaturalOrder) {
  const std::vector<std::string> sorted = {
      "a",           "d@0x",    "d@0x9.png", "d@0xA.png", "d@0xa0.png", "d@0xF0.png", "d@0xff.png",
      "d@0x100.png", "d@1.png", "e@0xA.png", "e@0x10",    "e@0X1F",     "pic1",       "pic2",
      "pic02b",      "pic10",   "pic10a",    "pic10b",    "pic011",     "pic99x",     "picture"};
  for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
    EXPECT_TRUE(naturalLess(sorted[i], sorted[i + 1])) << sorted[i] << " < " << sorted[i + 1];
    EXPECT_FALSE(naturalLess(sorted[i + 1], sorted[i])) << sorted[i + 1] << " < " << sorted[i];
  }
  EXPECT_NE(naturalLess("pic02", "pic2"), naturalLess("pic2", "pic02"));  // still one order
  const std::uint8_t head[] = {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'I', 'M', 'A', 'G'};
  EXPECT_FALSE(looksLikeCdiImage(std::span(head).first(11)));  // cut short: its last byte unread
}

// A key bound twice reaches only its first command.
TEST(Keys, OneCommandPerKey) {
  std::set<std::pair<int, int>> seen;
  for (const KeyBinding& binding : keyBindings())
    EXPECT_TRUE(seen.insert({binding.key, binding.modifiers}).second) << keyName(binding);
  EXPECT_EQ(findBinding('s', kModNone), nullptr);  // only Ctrl+S saves
  EXPECT_EQ(keyName(*findBinding('s', kModCtrl)), "Ctrl+S");
  EXPECT_EQ(keyListText().rfind("  n, Right, Space           next file\n"
                                "  p, Left, BackSpace        previous file\n",
                                0),
            0u);
}

// The viewer scenarios run --help, --version, --bogus, --zoom 17, --zoom 2 --, --accurate, --fit
// and --fullscreen; these are the other corners.
TEST(Options, CommandLine) {
  using A = ViewerOptions::Action;
  // Arguments, and the action, zoom and number of files they give.
  const std::tuple<std::vector<std::string>, A, int, std::size_t> cases[] = {
      {{"--zoom=16", "--", "--help"}, A::view, 16, 1},  // after --, a file
      {{"-", "--fit"}, A::view, 1, 2},                  // "-" is a file; options end there
      {{"--zoom"}, A::usageError, 1, 0},
      {{"--zoom", "1"}, A::view, 1, 0},
      {{"-h", "--bogus"}, A::help, 1, 0},
      {{"--zoom", "2x"}, A::usageError, 1, 0},
      {{"--classic", "--accurate"}, A::usageError, 1, 0},  // one profile or the other
  };
  for (const auto& [args, action, zoom, files] : cases) {
    const ViewerOptions options = parseViewerOptions(args);
    const std::string what = ::testing::PrintToString(args);
    EXPECT_EQ(options.action, action) << what;
    EXPECT_EQ(options.zoom, zoom) << what;
    EXPECT_EQ(options.arguments.size(), files) << what;
  }
  const ViewerOptions all = parseViewerOptions({"--classic", "--fit", "--fullscreen", "--scan"});
  EXPECT_EQ(all.profile, ProfileMode::classic);
  EXPECT_TRUE(all.fit && all.fullScreen && all.scan);
  const ViewerOptions plain = parseViewerOptions({"a.img"});
  EXPECT_FALSE(plain.fit || plain.fullScreen || plain.scan);
}

// Without options, accurate pictures larger than the window start shrunk.
TEST(Options, SetTheFirstView) {
  ViewerOptions options;
  EXPECT_EQ(ViewerCore(options).mode(), ViewMode{.shrinkLarger = true});
  options.zoom = 3;
  EXPECT_EQ(ViewerCore(options).mode(), ViewMode{.zoom = 3});
  options.fit = true;
  EXPECT_EQ(ViewerCore(options).mode(), ViewMode{.fit = true});
}

// The scenarios check 1:1 in small and large windows, zoom, a pan by part of a picture pixel, fit
// on a 1024 x 768 screen, a small picture on the floor and 192 dpi; these are the limits, the
// shrinking and the ratios the panel shows.
TEST(Layout, ScalesPlacesAndPans) {
  struct Case {
    int width, height, clientWidth, clientHeight;
    ViewMode mode;
    int unit;
    Layout expected;
    const char* ratio;
  };
  // clang-format off
  const Case cases[] = {
      // zoom: only pixels that reach the window, the pan held at the right edge
      {384, 280, 1000, 700, {.zoom = 3, .panX = 9999, .panY = -5}, 1, {{50, 0, 334, 234}, {-2, 0, 1002, 702}, 3, 1}, "3x"},
      {384, 280, 1000, 700, {.zoom = 3, .panX = 1, .panY = 100}, 1, {{0, 33, 334, 234}, {-1, -1, 1002, 702}, 3, 1}, "3x"},
      {10, 10, 100, 100, {.zoom = 40}, 1, {{0, 0, 7, 7}, {0, 0, 112, 112}, 16, 1}, "16x"},
      {384, 280, 768, 560, {}, 2, {{0, 0, 384, 280}, {0, 0, 768, 560}, 2, 1}, "1:1"},
      // fit: the largest whole scale, centred, at most 16 units; larger pictures by whole divisors
      {1, 1, 3840, 2160, {.fit = true}, 1, {{0, 0, 1, 1}, {1912, 1072, 16, 16}, 16, 1}, "16x"},
      {3, 2, 1000, 1000, {.fit = true}, 2, {{0, 0, 3, 2}, {452, 468, 96, 64}, 32, 1}, "16x"},
      {800, 400, 400, 300, {.fit = true}, 1, {{0, 0, 400, 200}, {0, 50, 400, 200}, 1, 2}, "1:2"},
      {1, 2000, 400, 300, {.fit = true}, 1, {{0, 0, 1, 286}, {199, 7, 1, 286}, 1, 7}, "1:7"},
      {1920, 1080, 768, 560, {.fit = true}, 2, {{0, 0, 640, 360}, {64, 100, 640, 360}, 1, 3}, "1:6"},
      // the accurate profile's start: larger pictures shrink, smaller are centred in the floor
      {800, 400, 400, 300, {.shrinkLarger = true}, 1, {{0, 0, 400, 200}, {0, 40, 400, 200}, 1, 2}, "1:2"},
      {200, 100, 400, 300, {.shrinkLarger = true}, 1, {{0, 0, 200, 100}, {92, 90, 200, 100}, 1, 1}, "1:1"},
      {500, 100, 768, 560, {.shrinkLarger = true}, 2, {{0, 0, 500, 100}, {134, 230, 500, 100}, 1, 1}, "1:2"},
      // never thinner than a screen pixel, and no overflow at the largest sizes
      {65535, 1, 100, 100, {.shrinkLarger = true}, 1, {{0, 0, 100, 1}, {0, 49, 100, 1}, 1, 656}, "1:656"},
      {65535, 65535, 200, 100, {.shrinkLarger = true}, 1, {{0, 0, 100, 100}, {50, 0, 100, 100}, 1, 656}, "1:656"},
      {0, 0, 400, 300, {}, 1, {{0, 0, 0, 0}, {0, 0, 0, 0}, 0, 1}, "1:1"},
      {10, 0, 400, 300, {}, 1, {{0, 0, 0, 0}, {0, 0, 0, 0}, 0, 1}, "1:1"},
      {10, 10, 400, 1, {}, 1, {{0, 0, 10, 1}, {187, 0, 10, 1}, 1, 1}, "1:1"},  // a window one pixel high
  };
  // clang-format on
  for (const Case& c : cases) {
    const Layout got =
        layoutPicture(c.width, c.height, c.clientWidth, c.clientHeight, c.mode, c.unit);
    const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) + " in " +
                             std::to_string(c.clientWidth) + "x" + std::to_string(c.clientHeight);
    EXPECT_EQ(got, c.expected) << what;
    EXPECT_EQ(ratioText(got, c.unit), c.ratio) << what;
  }
  EXPECT_EQ(fitScale(5, 0, 400, 300, 16), 0);  // a side of 0 has no scale, and divides nothing
  EXPECT_EQ(shrinkDivisor(1000, 0, 400, 300), 1);
  EXPECT_EQ(shrinkDivisor(0, 1000, 400, 300), 1);
  EXPECT_EQ(shrinkDivisor(5, 5, 400, 0), 1);  // a window of no area
  EXPECT_EQ(shrinkDivisor(5, 5, 0, 300), 1);
  EXPECT_EQ(shrinkDivisor(5, 1, 1, 1), 5);  // a window one pixel wide
}

// On a 1920 x 1080 screen less a 30-pixel panel at the bottom, with a 22-pixel title bar.
TEST(Layout, WindowsGrowAboutTheirCentreOntoTheWorkArea) {
  const Insets frame{1, 21, 1, 1};
  const Rect work{0, 0, 1920, 1050};
  const std::tuple<Rect, ClientSize, Rect> cases[] = {
      {{768, 239, 386, 302}, {1152, 840}, {384, 0, 1154, 862}},     // up against the top
      {{768, 239, 386, 302}, {3072, 2240}, {0, 0, 1920, 1050}},     // no larger than the area
      {{384, 0, 1154, 862}, {384, 280}, {768, 280, 386, 302}},      // back about the centre
      {{1800, 1000, 386, 302}, {384, 280}, {1534, 748, 386, 302}},  // moved back on
      {{10, 10, 386, 302}, {0, 0}, {201, 149, 3, 23}},              // never less than a pixel
  };
  for (const auto& [outer, client, placed] : cases)
    EXPECT_EQ(placeWindow(outer, client, frame, work), placed) << client.width;
  EXPECT_EQ(placeWindow({0, 0, 386, 302}, {384, 280}, frame, {64, 0, 1856, 1080}).x, 64);
  // On a screen left of the first, half a pixel goes to the left too.
  EXPECT_EQ(placeWindow({-1000, 0, 385, 302}, {384, 280}, frame, {-1920, 0, 1920, 1050}).x, -1001);
  EXPECT_EQ(placeWindow({0, 0, 386, 302}, {384, 280}, frame, {0, 0, 1, 1}), (Rect{0, 0, 3, 23}));
}

TEST(Layout, DesktopUnitsAndTheFloor) {
  const std::pair<int, int> units[] = {{-300, 1}, {0, 1},   {96, 1},   {144, 1},    {145, 2},
                                       {192, 2},  {288, 3}, {9600, 4}, {INT_MAX, 4}};
  for (const auto& [dpi, unit] : units)
    EXPECT_EQ(unitForDpi(dpi), unit) << dpi;
  EXPECT_EQ(floorSize(2), (ClientSize{768, 560}));
}

// Boxes of 2 x 2: the last column's boxes are cut and average what they hold, rounded.
TEST(Layout, BoxShrinkAverages) {
  const std::uint8_t pixels[] = {0,  10, 20, 2,  10, 20, 9,   9, 9, 0, 0, 0,  // pitch 12
                                 1,  10, 20, 1,  10, 21, 8,   8, 8, 0, 0, 0,
                                 50, 60, 70, 60, 70, 80, 255, 0, 1, 0, 0, 0};
  const ShrunkPicture got = boxShrink(pixels, 3, 3, 12, 2);
  EXPECT_EQ(std::pair(got.width, got.height), std::pair(2, 2));
  EXPECT_EQ(got.pixels, (std::vector<std::uint8_t>{1, 10, 20, 9, 9, 9, 55, 65, 75, 255, 0, 1}));
  EXPECT_EQ(boxShrink(pixels, 1, 2, 12, 1).pixels,
            (std::vector<std::uint8_t>{0, 10, 20, 1, 10, 20}));
}

// The scenario saves pic.png, then pic-2.png; a name without extension and a dangling link,
// which a careless check would write through, are the corners.
// One naming rule for Ctrl+S and the converter; a name taken is never reused.
TEST(Save, NamesFollowTheConvertersRuleAndNeverTakeAnExistingName) {
  const std::pair<PictureOutput, const char*> cases[] = {
      {{}, "/p/travel.c4.png"},
      {{std::nullopt, 3}, "/p/travel.c4-3.png"},
      {{0x1a2b, 1}, "/p/travel.c4@0x1a2b.png"},
      {{0x1a2b, 2}, "/p/travel.c4@0x1a2b-2.png"},
  };
  for (const auto& [which, name] : cases)
    EXPECT_EQ(pictureOutputPath("/p/travel.c4", which), name);
  const auto taken = [](const std::string& path) {
    return path == "/p/pic.png" || path == "/p/pic-2.png";
  };
  EXPECT_EQ(freeOutputPath("/p/pic.png", taken), "/p/pic-3.png");
#ifndef _WIN32  // Windows makes symbolic links only with a privilege, Wine not at all
  TempDir dir;
  std::filesystem::create_symlink(dir.path("nowhere"), dir.path("link.png"));
  EXPECT_EQ(freeOutputPath(dir.path("link.png").string()), dir.path("link-2.png").string());
#endif
}

class Viewer : public ::testing::Test {
 protected:
  TempDir dir;
  // A 1 x 1 red CLUT8 picture.
  std::string good(const std::string& name) {
    return dir.write(name, red(ImagBuilder::form()).bytes());
  }
  // A CAT of two CLUT8 pictures: red 1 x 1, green 2 x 1.
  static Bytes catBytes() {
    ImagBuilder file = ImagBuilder::cat();
    red(file).raw({'F', 'O', 'R', 'M', 0, 0, 0, 0, 'I', 'M', 'A', 'G'});
    return file.plte({{0, 0xFF, 0}}).ihdr(ImagHeader::of(4, 2, 1)).idat({0, 0}).bytes();
  }
  std::string cat(const std::string& name) { return dir.write(name, catBytes()); }
  static ImagBuilder& red(ImagBuilder&& file) { return red(file); }
  static ImagBuilder& red(ImagBuilder& file) {
    return file.plte({{0xFF, 0, 0}}).ihdr(ImagHeader::of(4, 1, 1)).idat({0});
  }
  static Reaction key(ViewerCore& core, int key, int modifiers = kModNone) {
    return core.onKey(key, modifiers);
  }
};

TEST_F(Viewer, ArgumentsFoldersAndNaturalOrder) {
  std::filesystem::create_directories(dir.path("pics/sub"));
  const std::string p10 = good("pics/pic10.img"), p2 = good("pics/pic2.img");
  const std::string cat = this->cat("pics/pic3.cat");
  good("pics/sub/pic1.img");  // not recursed into
  const std::string empty =
      dir.write("pics/empty", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'I', 'M', 'A', 'G'});
  dir.write("pics/pic1.img", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'I', 'L', 'B', 'M'});
  const std::string a = good("a.img"), b = good("b.img");
  const std::string folder = dir.path("pics").string();
  using Paths = std::vector<std::string>;
  const std::pair<Paths, Paths> cases[] = {
      {{"\"" + a + "\""}, {a}},  // one argument: the Windows command-line rule
      {{"\"" + dir.path("gone.img").string() + "\""}, {dir.path("gone.img").string()}},
      {{a, b, dir.path("missing.img").string()}, {a, b, dir.path("missing.img").string()}},
      {{dir.path("my").string(), "b.img"}, {dir.path("my").string(), "b.img"}},
      {{folder}, {empty, p2, cat, p10}},
      {{b, folder, a}, {b, empty, p2, cat, p10, a}},
  };
  // Compared with the system's separators: Windows joins a folder's pictures with a backslash.
  const auto preferred = [](Paths paths) {
    for (std::string& path : paths)
      path = std::filesystem::path(path).make_preferred().string();
    return paths;
  };
  for (const auto& [arguments, files] : cases) {
    EXPECT_EQ(preferred(filesFromArguments(arguments)), preferred(files))
        << ::testing::PrintToString(arguments);
  }
}

TEST_F(Viewer, WarnsOfFilesThatShowLittleOrNothing) {
  const ImagHeader header = ImagHeader::of(4, 2, 2);
  const auto clut8 = [&](const Bytes& idat) {
    return ImagBuilder::form().plte({{1, 2, 3}}).ihdr(header).idat(idat).bytes();
  };
  Bytes shortLength = clut8({0, 0, 0, 0});
  shortLength[7] = 20;
  // Each file and part of its message, "" for none.
  const std::pair<std::string, const char*> cases[] = {
      {dir.write("whole.img", clut8({0, 0, 0, 0})), ""},
      {dir.write("short.img", clut8({0, 0, 0})), "ends early"},
      {dir.write("none.img", ImagBuilder::form().ihdr(header).bytes()), "no picture data"},
      {dir.write("length.img", shortLength), "the container length says 20 bytes"},
  };
  for (const auto& [path, says] : cases) {
    ViewerCore core(path);
    const Reaction reaction = core.onCommand(IDM_DECODE_ARGV);
    EXPECT_EQ(reaction.status, DecodeStatus::ok);
    if (*says == '\0') {
      EXPECT_EQ(core.message(), "") << path;
      EXPECT_EQ(reaction.report, "") << path;
    } else {
      EXPECT_NE(core.message().find(says), std::string::npos) << core.message();
      EXPECT_EQ(reaction.report.find(path), 0u) << reaction.report;  // for standard error
    }
  }
}

// By default each file gets the profile its header asks for; after Tab, the one chosen holds.
TEST_F(Viewer, EachFileGetsItsProfileUntilTabChoosesOne) {
  const std::vector<Rgb> colours(16, Rgb{0xFF, 0, 0});
  ImagBuilder packedFile = ImagBuilder::form().plte(colours).ihdr(ImagHeader::of(6, 4, 1, 2));
  const std::string packed = dir.write("packed.img", packedFile.idat({1, 2}).bytes());
  ImagBuilder deepFile = ImagBuilder::form().ihdr(ImagHeader::of(1, 2, 1, 6));
  const std::string deep = dir.write("deep.img", deepFile.idat({1, 2, 3, 4, 5, 6}).bytes());
  const std::string classic = good("classic.img");
  ViewerCore core("");
  EXPECT_EQ(core.onDrop({packed, deep, classic, packed}).caption, packed + kAccurateCaption);
  EXPECT_EQ(core.view().width, 4);
  key(core, 'i');
  EXPECT_NE(core.panelText().back().find("accurate profile (lines hold two pixels a byte)"),
            std::string::npos);
  EXPECT_EQ(key(core, 'n').caption, deep + kAccurateCaption);
  EXPECT_EQ(core.panelText()[2], "RGB888, 2 x 1");
  EXPECT_EQ(core.message(), "");
  EXPECT_EQ(key(core, 'n').caption, classic);
  const Reaction tab = key(core, kKeyTab);
  EXPECT_EQ(tab.caption, classic + kAccurateCaption);
  EXPECT_TRUE(tab.repaint && tab.setCaption);
  EXPECT_EQ(key(core, kKeyTab).caption, classic);
  EXPECT_EQ(key(core, 'p').caption, deep);  // the classic profile holds: a black frame
  EXPECT_NE(core.message().find("shows nothing of this RGB888 picture"), std::string::npos);
  EXPECT_EQ(key(core, kKeyEnd).caption, packed);
  EXPECT_EQ(core.view().width, kFrameWidth);
}

// A palette-only model: the classic decoding accepts it, the accurate one has nothing to show.
TEST_F(Viewer, TabToAFileWithoutAnAccuratePictureShowsTheTitle) {
  ViewerCore core("");
  core.onDrop(
      {dir.write("palette.imag", ImagBuilder::form().ihdr(ImagHeader::of(10, 1, 1)).bytes())});
  const Reaction reaction = key(core, kKeyTab);
  EXPECT_EQ(reaction.status, DecodeStatus::noPicture);
  EXPECT_EQ(reaction.caption, std::string(szAppname) + kAccurateCaption);
  key(core, 'i');
  key(core, 'w');  // fit, with nothing to fit
  EXPECT_TRUE(core.panelText().back().ends_with(", zoom fit")) << core.panelText().back();
  const std::string gone = dir.path("gone.imag").string();  // the accurate reading of no file
  EXPECT_EQ(core.onDrop({gone}).report.rfind(gone + ": ", 0), 0u);
}

// A file of the list that cannot be read says which and why, on screen and on standard error.
TEST_F(Viewer, FailedFileOfTheListSaysWhy) {
  const std::string bad = dir.write("bad.img", {'x'});
  ViewerCore core("");
  core.onDrop({good("one.img"), bad});
  const Reaction next = key(core, 'n');
  EXPECT_EQ(next.caption, szAppname);
  EXPECT_EQ(next.report, bad + ": " + decodeStatusText(DecodeStatus::tooShort));
  EXPECT_EQ(key(core, 'n').report, "");  // the last file: it is not read again
  EXPECT_NE(core.message().find("bad.img"), std::string::npos);
  EXPECT_FALSE(core.expireMessage(ViewerCore::Clock::now()));  // it stays a while, then goes
  EXPECT_TRUE(core.expireMessage(*core.messageDeadline()));
  EXPECT_EQ(core.message(), "");
  key(core, 's', kModCtrl);  // the black frame of a refused file is no picture
  EXPECT_EQ(core.message(), "nothing to save");
  EXPECT_TRUE(key(core, kKeyHome).repaint);
  key(core, 'n');
  EXPECT_EQ(key(core, 'p').report, "");  // a picture's message goes with it
  EXPECT_EQ(core.message(), "");
}

TEST_F(Viewer, PanelSaysWhatShows) {
  ViewerCore core(cat("two.cat"));
  core.onCommand(IDM_DECODE_ARGV);
  EXPECT_TRUE(key(core, 'i').repaint);
  const std::string panel = ::testing::PrintToString(core.panelText());
  for (const char* part : {"2 pictures", "CLUT8, 1 x 1", "1 entry", "zoom 1:1"})
    EXPECT_NE(panel.find(part), std::string::npos) << part << " in " << panel;
  core.setDesktopDpi(0);  // a desktop that says none
  EXPECT_EQ(core.dpi(), 96);
  EXPECT_TRUE(core.setDesktopDpi(192).repaint);  // the zoom as the user sees it, in desktop units
  key(core, '+');
  EXPECT_NE(core.panelText().back().find("zoom 2x"), std::string::npos);
  // The first picture fits the classic frame; the classic frame shows no other.
  EXPECT_EQ(core.panelText().back(),
            "classic profile (the header fits the classic frame), zoom 2x");
  key(core, 'w');
  EXPECT_EQ(core.panelText().back(),
            "classic profile (the header fits the classic frame), zoom fit (1:2)");
  key(core, 's', kModCtrl);  // each page under its own name, the classic frame too
  EXPECT_EQ(core.message(), "saved " + dir.path("two.cat-1.png").string());
  EXPECT_FALSE(core.expireMessage(ViewerCore::Clock::now()));
  EXPECT_TRUE(core.view().bgr);  // the classic frame is blue, green, red
  const Reaction second = key(core, kKeyPageDown);
  EXPECT_EQ(second.caption, dir.path("two.cat").string() + " [accurate 2/2]");
  EXPECT_TRUE(second.repaint && second.setCaption);
  EXPECT_FALSE(core.view().bgr);                   // the accurate picture is red first
  EXPECT_EQ(core.panelText()[2], "CLUT8, 2 x 1");  // the page's own
  EXPECT_EQ(core.panelText().back(),
            "accurate profile, picture 2/2 (picture 2 of a CAT), zoom fit (16x)");
  EXPECT_FALSE(key(core, kKeyPageDown).repaint);  // no third page
  key(core, 's', kModCtrl);
  EXPECT_EQ(core.message(), "saved " + dir.path("two.cat-2.png").string());
  const Reaction first = key(core, kKeyPageUp);
  EXPECT_EQ(first.caption, dir.path("two.cat").string());
  EXPECT_TRUE(first.repaint && first.setCaption);
  EXPECT_TRUE(core.onDrop({dir.write("one.cat", red(ImagBuilder::cat()).bytes())}).repaint);
  EXPECT_EQ(core.panelText()[1], "CAT with 1 picture");
  key(core, 's', kModCtrl);  // one picture: no number
  EXPECT_EQ(core.message(), "saved " + dir.path("one.cat.png").string());
  EXPECT_GT(std::filesystem::file_size(dir.path("one.cat.png")), 0u);
  const std::vector<Rgb> ten(10, Rgb{1, 2, 3});  // entries 250 to 259: those past 255 are none
  core.onDrop({dir.write(
      "end.img",
      ImagBuilder::form().plte(ten, 250).ihdr(ImagHeader::of(4, 1, 1)).idat({255}).bytes())});
  EXPECT_EQ(core.panelText()[3], "palette: 6 entries");
  const Bytes moreThanSaid = {0, 0, 0, 1, 1, 2, 3, 4, 5, 6};  // one entry said, two stored
  core.onDrop({dir.write("said.img", ImagBuilder::form()
                                         .chunk("PLTE", moreThanSaid)
                                         .ihdr(ImagHeader::of(4, 1, 1))
                                         .idat({0})
                                         .bytes())});
  EXPECT_EQ(core.panelText()[3], "palette: 1 entry");
  EXPECT_TRUE(core.addDropped(good("more.img")).repaint);  // the panel counts the list
  EXPECT_EQ(core.panelText()[0], "said.img  (1/2)");
}

// Before the first picture the window says what to do, and so does the panel.
TEST_F(Viewer, EmptyStartSaysWhatToDo) {
  ViewerCore core("");
  EXPECT_FALSE(key(core, 'n').repaint);  // nothing to move to
  EXPECT_FALSE(key(core, kKeyEnd).repaint);
  EXPECT_EQ(core.emptyHint().front(), "Drop CD-i pictures here");
  key(core, 'i');
  EXPECT_EQ(core.panelText(), std::vector<std::string>{"no picture yet"});
  core.onDrop({dir.path("missing.img").string()});
  EXPECT_TRUE(core.emptyHint().empty());
  EXPECT_EQ(core.panelText()[1],
            decodeStatusText(DecodeStatus::cannotOpen));  // not "not a CD-i picture"
  // Entries 0 and 1 of 3 announced, and two bytes of the third.
  const Bytes noHeader =
      ImagBuilder::form().chunk("PLTE", {0, 0, 0, 3, 1, 2, 3, 4, 5, 6, 7, 8}).bytes();
  core.onDrop({dir.write("noheader.img", noHeader)});
  EXPECT_EQ(core.panelText(),
            (std::vector<std::string>{
                "noheader.img  (1/1)", "FORM", "no picture header", "palette: 2 entries",
                "classic profile (only the classic reading takes this header), zoom 1:1"}));
}

// The scenarios zoom, pan towards the top-left, fit, and leave full screen with Esc before Esc
// quits; these are the other limits.
TEST_F(Viewer, ZoomPanAndFitLimits) {
  ViewerCore core(good("one.img"));
  core.onCommand(IDM_DECODE_ARGV);
  key(core, 'i');
  EXPECT_EQ(core.panelText()[0], "one.img  (1/1)");  // the file named is the list
  key(core, 'i');
  core.onResize(384, 280);
  const Reaction zoomed = key(core, '+');
  EXPECT_TRUE(zoomed.repaint && !zoomed.setCaption);  // the caption stays
  key(core, '=');
  EXPECT_EQ(core.mode().zoom, 3);
  key(core, '-');
  core.onResize(700, 500);                       // the screen allowed less than 768 x 560
  EXPECT_TRUE(core.onDrag(-500, -500).repaint);  // no further than the edges: 768 - 700, 560 - 500
  EXPECT_FALSE(core.onDrag(-500, -500).repaint);
  EXPECT_EQ(core.view().layout.source.x, 34);
  EXPECT_EQ(core.view().layout.source.y, 30);
  for (int i = 0; i < 20; ++i)
    key(core, kKeyPadPlus);
  EXPECT_EQ(core.mode().zoom, kMaxZoom);
  EXPECT_TRUE(key(core, 'w').repaint);
  core.onResize(1200, 900);
  EXPECT_EQ(key(core, '-').resizeTo, (ClientSize{768, 560}));  // out from the fitted 3x
  EXPECT_EQ(key(core, kKeyF11).fullScreen, true);
  EXPECT_TRUE(core.fullScreen());
  EXPECT_EQ(key(core, kKeyF11).fullScreen, false);
  EXPECT_EQ(core.mode().zoom, 2);  // as before full screen
  EXPECT_TRUE(key(core, kKeyEscape).quit);
  EXPECT_TRUE(key(core, 'q', kModCtrl).quit);
  EXPECT_TRUE(key(core, '0').repaint);
  EXPECT_EQ(core.mode(), ViewMode{.shrinkLarger = true});
  key(core, '-');  // 1x: a picture wider than the window is cut, not shrunk, unless asked
  EXPECT_FALSE(core.onDrag(-5, -5).repaint);  // the frame shows whole: nothing to pan
  const Bytes wide = ImagBuilder::form().ihdr(ImagHeader::of(4, 2000, 2)).idat(Bytes(4000)).bytes();
  core.onDrop({dir.write("wide.imag", wide)});
  EXPECT_EQ(core.view().layout.divisor, 1);
  key(core, 'i');
  EXPECT_EQ(core.panelText()[2], "CLUT8, 2000 x 2");
  key(core, 'i');
  const Bytes longest =
      ImagBuilder::form().ihdr(ImagHeader::of(4, 65535, 1)).idat(Bytes(65535)).bytes();
  core.onDrop({dir.write("longest.imag", longest)});
  EXPECT_EQ(key(core, '+').resizeTo, (ClientSize{16384, 280}));  // larger than any screen
  core.onDrop({dir.write("wide.imag", wide)});
  key(core, 'w');  // fitted, it shrinks: averaged afresh for each picture
  EXPECT_EQ(core.view().pixels[0], 0);
  ImagBuilder redWide = ImagBuilder::form().plte({{0xFF, 0, 0}});
  redWide.ihdr(ImagHeader::of(4, 2000, 2)).idat(Bytes(4000));
  core.onDrop({dir.write("red.imag", redWide.bytes())});
  const PictureView shrunk = core.view();
  ASSERT_GT(shrunk.layout.divisor, 1);
  EXPECT_EQ(shrunk.width, (2000 - 1) / shrunk.layout.divisor + 1);
  EXPECT_EQ(shrunk.pitch, std::size_t(shrunk.width) * 3);
  EXPECT_EQ(shrunk.pixels[0], 0xFF);
  core.onResize(100, 100);  // the classic frame shrunk: each picture's averaged afresh
  const Bytes blue =
      ImagBuilder::form().plte({{0, 0, 0xFF}}).ihdr(ImagHeader::of(4, 1, 1)).idat({0}).bytes();
  core.onDrop({good("red.img"), dir.write("blue.img", blue)});
  ASSERT_GT(core.view().layout.divisor, 1);
  EXPECT_GT(core.view().pixels[2], 0);  // red, the frame being blue, green, red
  key(core, 'n');
  EXPECT_EQ(core.view().pixels[2], 0);
  EXPECT_GT(core.view().pixels[0], 0);
}

// --scan: each picture found inside a file is an entry of its own. The scenarios check the
// captions and the pixels of each; these are the list's count, the panel, the saved name and a
// file with no picture.
TEST_F(Viewer, ScanListsThePicturesInsideFiles) {
  // The first is wider than the classic frame: it takes the accurate profile.
  const Bytes picture = ImagBuilder::form()
                            .plte({{0xFF, 0, 0}})
                            .ihdr(ImagHeader::of(4, 400, 1))
                            .idat(Bytes(400))
                            .bytes();
  const Bytes cat = catBytes();
  Bytes dump(0x1234 + cat.size() + 100, 0xEE);
  std::copy(picture.begin(), picture.end(), dump.begin() + 0x800);
  std::copy(cat.begin(), cat.end(), dump.begin() + 0x1234);
  ViewerOptions options;
  options.scan = true;
  options.arguments = {dir.write("dump.bin", dump), dir.write("junk.bin", Bytes(64, 0xEE))};
  ViewerCore core(options);
  core.onCreate();
  EXPECT_EQ(dyuverrc, kViewerThreshold);  // DYUV shown as the converter writes it
  ASSERT_EQ(core.files().size(), 3u);     // two pictures, then the refused file

  const std::string dumpPath = dir.path("dump.bin").string();
  EXPECT_EQ(core.onCommand(IDM_DECODE_ARGV).caption, dumpPath + "@0x800" + kAccurateCaption);
  EXPECT_EQ(core.message(), "");
  key(core, 'i');
  EXPECT_EQ(core.panelText().front(), "dump.bin@0x800  (1/3)");
  EXPECT_EQ(key(core, 'n').caption, dumpPath + "@0x1234");
  EXPECT_EQ(core.frame()[2], 0xFF);  // red
  key(core, kKeyTab);
  const Reaction second = key(core, kKeyPageDown);
  EXPECT_EQ(second.caption, dumpPath + "@0x1234 [accurate 2/2]");
  EXPECT_TRUE(second.repaint);
  EXPECT_EQ(core.panelText()[2], "CLUT8, 2 x 1");  // the page's own
  key(core, 's', kModCtrl);
  EXPECT_EQ(core.message(), "saved " + dumpPath + "@0x1234-2.png");

  const Reaction refused = key(core, kKeyEnd);
  EXPECT_EQ(refused.caption, std::string(szAppname) + kAccurateCaption);
  EXPECT_EQ(refused.report, dir.path("junk.bin").string() + ": no picture found");
  EXPECT_TRUE(std::all_of(core.frame(), core.frame() + kShownBytes, [](int b) { return b == 0; }));
}

}  // namespace
