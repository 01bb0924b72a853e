#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <set>
#include <tuple>

#include "accurate.h"
#include "accuratesamples.h"
#include "bundledsamples.h"
#include "support/framecheck.h"
#include "support/picturefile.h"
#include "support/toolrun.h"

namespace {

namespace fs = std::filesystem;

class Converter : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(Converter, PngAndPpmHoldTheViewersFrame) {
  // A full frame of random DYUV bytes: many pixels sit at the edges of the artefact suppression.
  std::mt19937 random(11);
  Bytes data(384 * 280);
  for (auto& b : data)
    b = static_cast<std::uint8_t>(random());
  const Bytes dyuv = ImagBuilder::form().ihdr(ImagHeader::of(3, 384, 280)).idat(data).bytes();
  // The viewer's artefact threshold, 220, and no other: the picture tells them apart.
  ASSERT_NE(viewerRgb(dyuv, kFrameWidth, kFrameHeight, 219), viewerRgb(dyuv));
  ASSERT_NE(viewerRgb(dyuv, kFrameWidth, kFrameHeight, 221), viewerRgb(dyuv));
  const std::string input = dir.write("pic.img", dyuv);
  ASSERT_EQ(runImag2png({input, dir.path("pic.ppm").string()}).exit, 0);
  const std::string header = "P6\n384 280\n255\n";
  Bytes expected(header.begin(), header.end());
  const Bytes rgb = viewerRgb(dyuv);
  expected.insert(expected.end(), rgb.begin(), rgb.end());
  EXPECT_EQ(readFile(dir.path("pic.ppm")), expected);
  const ToolRun piped = runImag2png({"--format", "ppm", input, "-"});
  EXPECT_EQ(piped.exit, 0);
  EXPECT_EQ(Bytes(piped.out.begin(), piped.out.end()), expected);
  ASSERT_EQ(runImag2png({input, dir.path("pic.PNG").string()}).exit, 0);
  const PictureFile png = readPicture(dir.path("pic.PNG"));
  EXPECT_EQ(png.rgb, rgb);
  EXPECT_EQ(std::pair(png.width, png.height), std::pair(384, 280));
}

// --classic is the classic frame for every file. By default every bundled sample keeps it too,
// and the samples of the format's own layout that it would scramble (palette offsets, packed
// CLUT4, YUVS, RL3 pairs, models it does not show) come out as the accurate picture.
TEST_F(Converter, ClassicIsTheFrameAndTheDefaultFollowsTheHeader) {
  std::vector<std::pair<std::string, Bytes>> files;
  for (SamplePicture& sample : bundledSamples())
    files.emplace_back(sample.fileName, std::move(sample.bytes));
  for (AccurateSample& sample : accurateSamples())
    files.emplace_back("accurate/" + sample.name, std::move(sample.bytes));
  const std::set<std::string> accurate = {"accurate/clut3.imag",  "accurate/clut4.imag",
                                          "accurate/dyuv.imag",   "accurate/dyuv-yuvs.imag",
                                          "accurate/rgb555.imag", "accurate/rgb888.imag",
                                          "accurate/rl3.imag"};
  for (const auto& [name, file] : files) {
    const std::string input = dir.write("pic.img", file);
    ASSERT_EQ(runImag2png({"--classic", input, dir.path("classic.ppm").string()}).exit, 0);
    EXPECT_EQ(readPicture(dir.path("classic.ppm")).rgb, viewerRgb(file)) << name;
    ASSERT_EQ(runImag2png({input, dir.path("auto.ppm").string()}).exit, 0);
    AccuratePicture picture;
    const bool scrambled = accurate.count(name) != 0;
    EXPECT_EQ(decodeAccurate(file, {}, picture), DecodeStatus::ok) << name;
    EXPECT_EQ(readPicture(dir.path("auto.ppm")).rgb, scrambled ? picture.rgb : viewerRgb(file))
        << name;
  }
}

// Files that show less than their header promises are written all the same, with one line each
// on standard error saying why, in the words the viewer uses.
TEST_F(Converter, WarnsOfWhatThePictureDoesNotShow) {
  const ImagHeader clut8 = ImagHeader::of(4, 2, 2);
  const auto picture = [&](const Bytes& idat) {
    return ImagBuilder::form().plte({{1, 2, 3}}).ihdr(clut8).idat(idat).bytes();
  };
  const Bytes whole = picture({0, 0, 0, 0}), cut = picture({0});
  const Bytes cat =
      ImagBuilder::cat().raw(Bytes(whole.begin() + 12, whole.end())).raw(whole).bytes();
  const std::string early = "pic.img: the picture data ends early\n";
  // Options, file, and what it says ("" for nothing).
  const std::tuple<std::vector<std::string>, Bytes, std::string> cases[] = {
      {{}, whole, ""},
      {{}, cut, early},
      {{"--accurate"}, cut, early},
      {{}, ImagBuilder::form().ihdr(clut8).bytes(), "pic.img: no picture data\n"},
      {{}, cat, "pic.img: picture 1 of 2 written; --all writes every picture\n"},
  };
  for (const auto& [options, file, says] : cases) {
    std::vector<std::string> args = options;
    args.insert(args.end(), {dir.write("pic.img", file), dir.path("out.ppm").string()});
    const ToolRun result = runImag2png(args);
    EXPECT_EQ(result.exit, 0) << says;
    EXPECT_TRUE(fs::exists(dir.path("out.ppm"))) << says;
    fs::remove(dir.path("out.ppm"));
    if (says.empty()) {
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_NE(result.err.find(says), std::string::npos) << result.err;
      EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
  }
}

TEST_F(Converter, FewColoursMakeIndexedPngsOfTheFewestBitsWithTheSamePixels) {
  struct Case {
    int colours;
    bool crop;  // without, the black around the picture is one colour more
    std::vector<std::string> level;
    int colourType, bitDepth;
  };
  const Case cases[] = {
      {2, true, {}, SPNG_COLOR_TYPE_INDEXED, 1},
      {3, true, {"--level", "0"}, SPNG_COLOR_TYPE_INDEXED, 2},
      {16, true, {}, SPNG_COLOR_TYPE_INDEXED, 4},
      {17, true, {"--level", "9"}, SPNG_COLOR_TYPE_INDEXED, 8},
      {256, true, {}, SPNG_COLOR_TYPE_INDEXED, 8},
      {256, false, {"--level", "9"}, SPNG_COLOR_TYPE_TRUECOLOR, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.colours) + " colours" + (c.crop ? ", cropped" : ""));
    const Bytes file =
        colourfulPicture(33, 17, c.colours, false);  // odd sizes: rows end inside a byte
    std::vector<std::string> args = c.level;
    if (c.crop) args.push_back("--crop");
    args.insert(args.end(), {dir.write("pic.img", file), dir.path("pic.png").string()});
    ASSERT_EQ(runImag2png(args).exit, 0);
    const PictureFile png = readPicture(dir.path("pic.png"));
    EXPECT_EQ(png.rgb, c.crop ? viewerRgb(file, 33, 17) : viewerRgb(file));
    EXPECT_EQ(png.colourType, c.colourType);
    EXPECT_EQ(png.bitDepth, c.bitDepth);
    if (c.level == std::vector<std::string>{"--level", "0"}) {  // stored: 17 rows of 1 + 9 bytes
      EXPECT_GT(std::filesystem::file_size(dir.path("pic.png")), 170u);
    }
  }
}

TEST_F(Converter, WithoutOutputWritesPngBesideTheInput) {
  const std::string input = dir.write("pic.img", colourfulPicture(8, 8));
  ASSERT_EQ(runImag2png({input}).exit, 0);
  EXPECT_FALSE(readPicture(dir.path("pic.img.png")).rgb.empty());
  EXPECT_EQ(readFile(input), colourfulPicture(8, 8));
}

TEST_F(Converter, CropKeepsWhatThePictureCovered) {
  // Full-width rows end exactly where a frame row does; one row is a picture too.
  for (const auto& [width, height] : {std::pair{100, 50}, {384, 50}, {7, 1}}) {
    const Bytes file = colourfulPicture(width, height);
    ASSERT_EQ(
        runImag2png({"--crop", dir.write("pic.img", file), dir.path("pic.png").string()}).exit, 0);
    const PictureFile png = readPicture(dir.path("pic.png"));
    EXPECT_EQ(png.rgb, viewerRgb(file, width, height));
    EXPECT_EQ(std::pair(png.width, png.height), std::pair(width, height));
  }
  // A picture that drew nothing has nothing to crop: a failure, and no file.
  const ToolRun empty = runImag2png({"--crop", dir.write("empty.img", ImagBuilder::form().bytes()),
                                     dir.path("empty.png").string()});
  EXPECT_EQ(empty.exit, 1);
  EXPECT_FALSE(fs::exists(dir.path("empty.png")));
}

// The folder is made when the folder it goes in exists, and said so; not deeper.
TEST_F(Converter, BatchConvertsWhatItCanAndNamesEachFailure) {
  fs::create_directory(dir.path("b"));
  const std::string good = dir.write("good.img", colourfulPicture(4, 4));
  const std::string bad = dir.write("bad.img", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a'});
  const std::string twin =
      dir.write("b/good.img", colourfulPicture(5, 5));  // same name as the first
  const ToolRun result = runImag2png({"-o", dir.path("out").string(), good, bad, twin});
  EXPECT_EQ(result.exit, 1);
  EXPECT_FALSE(fs::exists(dir.path("out/bad.img.png")));
  EXPECT_NE(result.err.find("imag2png: " + twin + ": would overwrite"), std::string::npos);
  EXPECT_EQ(result.err.find("imag2png: " + dir.path("out").string() + ": folder created\n"), 0u);
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 3);
  EXPECT_EQ(runImag2png({"-o", dir.path("out").string(), good, twin}).exit, 1);  // refused alone
  EXPECT_EQ(runImag2png({"-o", dir.path("no/out").string(), good}).exit, 1);
  ASSERT_EQ(runImag2png({good, dir.path("again.png").string()}).exit, 0);
  EXPECT_EQ(readFile(dir.path("out/good.img.png")), readFile(dir.path("again.png")));
  // A batch that reads one of its outputs converts in order: that input is read before it is
  // replaced.
  const std::string early = dir.write("out/early.png", colourfulPicture(5, 5));
  const std::string later = dir.write("b/early", colourfulPicture(4, 4));
  EXPECT_EQ(runImag2png({"-o", dir.path("out").string(), early, later}).exit, 0);
  EXPECT_EQ(readPicture(dir.path("out/early.png.png")).rgb, viewerRgb(colourfulPicture(5, 5)));
  EXPECT_EQ(readPicture(dir.path("out/early.png")).rgb, viewerRgb(colourfulPicture(4, 4)));
}

// Options that do not fit together, for every mode (accurate, scan, info), write nothing.
TEST_F(Converter, UsageErrorsExitWithTwo) {
  const std::string input = dir.write("pic.img", colourfulPicture(4, 4));
  const std::string out = dir.path("out.ppm").string();
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--bogus", input},
      {input, dir.path("out.jpg").string()},
      {input, dir.path("a.png").string(), dir.path("b.png").string()},
      {"-o"},
      {"--format", "gif", input},
      {"-j", "0", input},
      {"--level", "10", input},
      {"--classic", "--aspect", input, out},
      {"--classic", "--interpolate", input, out},
      {"--crop", "--accurate", input, out},
      {"--classic", "--accurate", input, out},
      {"--classic", "--all", input, out},
      {"--accurate", "--all", input, "-"},
      {"--scan", "--crop", input},
      {"--json", input},
      {input, "--palette"},
  };
  for (const auto& args : cases) {
    const ToolRun result = runImag2png(args);
    EXPECT_EQ(result.exit, 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(result.err.find("imag2png: "), std::string::npos);
  }
  EXPECT_EQ(namesIn(dir.root()), std::set<std::string>{"pic.img"});
  EXPECT_EQ(runImag2png({"--accurate", "--all", input, out}).exit, 0);  // a FORM: one picture
  EXPECT_NE(runImag2png({"--bogus", input}).err.find("unknown option '--bogus'"),
            std::string::npos);
  EXPECT_EQ(runImag2png({"--help"}).exit, 0);
  EXPECT_EQ(runImag2png({"--", "--help"}).exit, 1);  // a file of that name, which is not there
  EXPECT_EQ(runImag2png({"--version"}).out.rfind("imag2png ", 0), 0u);
}

TEST_F(Converter, NeverOverwritesItsInput) {
  const Bytes file = colourfulPicture(4, 4);
  const std::string input = dir.write("pic.png", file);
  fs::create_hard_link(input, dir.path("hard.png"));
  fs::create_symlink(input, dir.path("soft.png"));
  for (const char* output : {"pic.png", "hard.png", "soft.png"}) {
    const ToolRun result = runImag2png({input, dir.path(output).string()});
    EXPECT_EQ(result.exit, 1) << output;
    EXPECT_NE(result.err.find("is the input file"), std::string::npos) << output;
    EXPECT_EQ(readFile(input), file) << output;
  }
  const std::string first = dir.write("p-1.png", file);  // picture 1 of p.png with --all
  const ToolRun all = runImag2png({"--all", first, dir.path("p.png").string()});
  EXPECT_NE(all.err.find("p-1.png: is the input file"), std::string::npos) << all.err;
  EXPECT_EQ(readFile(first), file);
}

// As an ordinary user, so that a converter that took a device for a file could not replace it;
// without a standard input, so that the device opened is descriptor 0.
TEST_F(Converter, DevicesAreWrittenInPlaceAndTheirErrorsReported) {
  const std::string input = dir.write("pic.img", colourfulPicture(4, 4));
  fs::permissions(dir.root(), fs::perms(0755));
  fs::permissions(input, fs::perms(0644));
  const ToolLimits user{.asOrdinaryUser = true, .closedInput = true};
  const ToolRun full = runImag2png({"--format", "png", input, "/dev/full"}, user);
  EXPECT_EQ(full.exit, 1);
  EXPECT_NE(full.err.find("imag2png: /dev/full: cannot write"), std::string::npos) << full.err;
  const ToolRun null = runImag2png({"--format", "png", input, "/dev/null"}, user);
  EXPECT_EQ(null.exit, 0) << null.err;
}

TEST_F(Converter, WritesThroughLinksAndKeepsTheOutputsPermissions) {
  const std::string input = dir.write("pic.img", colourfulPicture(8, 8));
  fs::create_directory(dir.path("real"));
  const std::string target = dir.write("real/out.png", Bytes(10, 'x'));
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(target, dir.path("link.png"));
  ASSERT_EQ(runImag2png({input, dir.path("link.png").string()}).exit, 0);
  EXPECT_TRUE(fs::is_symlink(dir.path("link.png")));  // the link stays a link
  EXPECT_EQ(readPicture(target).rgb, viewerRgb(colourfulPicture(8, 8)));
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(namesIn(dir.root()), (std::set<std::string>{"pic.img", "real", "link.png"}));
  ASSERT_EQ(runImag2png({input, dir.path("real/new.png").string()}).exit, 0);  // as any new file
  EXPECT_EQ(fs::status(dir.path("real/new.png")).permissions(), fs::status(input).permissions());
  EXPECT_EQ(namesIn(dir.path("real")), (std::set<std::string>{"out.png", "new.png"}));
}

}  // namespace
