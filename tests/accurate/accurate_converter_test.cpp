// imag2png --accurate, --aspect and --interpolate, run as a program.

#include <sstream>

#include "accuratecheck.h"
#include "support/toolrun.h"

namespace {

class AccurateConverter : public ::testing::Test {
 protected:
  // `arguments` split at spaces: the test folder's paths have none.
  ToolRun run(const std::string& arguments) {
    std::istringstream words(arguments);
    std::vector<std::string> args;
    for (std::string word; words >> word;)
      args.push_back(word);
    return runImag2png(args);
  }

  // The pixels of a PPM the converter wrote, with its size.
  Bytes readPpm(const std::string& name, int& width, int& height) {
    const Bytes ppm = readFile(dir.path(name));
    std::istringstream in(std::string(ppm.begin(), ppm.end()));
    std::string magic;
    int maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();  // the one blank after maxval
    EXPECT_EQ(magic, "P6");
    EXPECT_EQ(maxval, 255);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  std::string input(const std::string& name, const Bytes& file) { return dir.write(name, file); }
  std::string output(const std::string& name) { return dir.path(name).string(); }

  TempDir dir;
};

// A CLUT8 picture wider than the viewer's frame: pixel (x, y) is entry (x + y) mod 256.
Bytes widePicture(int width, int height) {
  Bytes data;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      data.push_back(std::uint8_t(x + y));
  }
  return ImagBuilder::form()
      .chunk("PLTE", plteBody(0, greys(254)))
      .ihdr(header(4, width, width, height))
      .idat(data)
      .bytes();
}

TEST_F(AccurateConverter, WritesThePictureAtItsOwnSize) {
  const Bytes file = widePicture(500, 3);
  const ToolRun result = run("--accurate " + input("wide.imag", file) + " " + output("wide.ppm"));
  ASSERT_EQ(result.exit, 0) << result.err;
  int width = 0, height = 0;
  const Bytes rgb = readPpm("wide.ppm", width, height);
  EXPECT_EQ(width, 500);
  EXPECT_EQ(height, 3);
  EXPECT_EQ(rgb, decodeOk(file).rgb);
}

TEST_F(AccurateConverter, AspectDoublesNormalResolutionOnly) {
  const Bytes normal = ImagBuilder::form()
                           .chunk("PLTE", plteBody(0, greys(16)))
                           .ihdr(header(4, 2, 2, 1))
                           .idat({1, 2})
                           .bytes();
  const Bytes doubled = ImagBuilder::form()
                            .chunk("PLTE", plteBody(0, greys(16)))
                            .ihdr(header(6, 2, 1, 1))
                            .idat({0x12})
                            .bytes();
  ASSERT_EQ(run("--accurate --aspect " + input("n.imag", normal) + " " + output("n.ppm")).exit, 0);
  ASSERT_EQ(run("--accurate --aspect " + input("d.imag", doubled) + " " + output("d.ppm")).exit, 0);
  int width = 0, height = 0;
  Bytes rgb = readPpm("n.ppm", width, height);
  EXPECT_EQ(width, 4);
  EXPECT_EQ(rgb, (Bytes{1, 2, 3, 1, 2, 3, 2, 3, 4, 2, 3, 4}));
  rgb = readPpm("d.ppm", width, height);
  EXPECT_EQ(width, 2);
  EXPECT_EQ(rgb, (Bytes{1, 2, 3, 2, 3, 4}));
}

TEST_F(AccurateConverter, ShortDataIsWrittenWithAWarning) {
  const Bytes file = ImagBuilder::form().ihdr(header(4, 4, 4, 4)).idat({1}).bytes();
  const ToolRun result = run("--accurate " + input("short.imag", file) + " " + output("short.ppm"));
  EXPECT_EQ(result.exit, 0);
  EXPECT_NE(result.err.find("ends early"), std::string::npos) << result.err;
  int width = 0, height = 0;
  EXPECT_EQ(readPpm("short.ppm", width, height).size(), 48u);
}

TEST_F(AccurateConverter, RefusedPicturesWriteNothing) {
  const Bytes file = ImagBuilder::form().ihdr(header(10, 1, 1, 1)).bytes();
  const ToolRun result = run("--accurate " + input("plte.imag", file) + " " + output("plte.ppm"));
  EXPECT_EQ(result.exit, 1);
  EXPECT_NE(result.err.find(decodeStatusText(DecodeStatus::noPicture)), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path("plte.ppm")));
}

TEST_F(AccurateConverter, ProfileOptionsThatDoNotFitAreUsageErrors) {
  const std::string in = input("wide.imag", widePicture(4, 1));
  for (const std::string options :
       {"--aspect", "--interpolate", "--crop --accurate", "--all", "--accurate --all"}) {
    const ToolRun result =
        run(options + " " + in + " " + (options == "--accurate --all" ? "-" : output("x.ppm")));
    EXPECT_EQ(result.exit, 2) << options;
    EXPECT_FALSE(std::filesystem::exists(dir.path("x.ppm"))) << options;
  }
}

}  // namespace

namespace {

TEST_F(AccurateConverter, AllWritesEveryPictureOfACatNumbered) {
  const Bytes first = widePicture(3, 1);
  ImagBuilder cat = ImagBuilder::cat();
  cat.raw(Bytes(first.begin() + 12, first.end()));  // the chunks of a FORM, as the CAT's first item
  cat.raw({'F', 'O', 'R', 'M', 0, 0, 0, 0, 'I', 'M', 'A', 'G'})
      .chunk("PLTE", plteBody(0, greys(8)))
      .ihdr(header(4, 2, 2, 1))
      .idat({7, 6});
  const ToolRun result =
      run("--accurate --all " + input("two.imag", cat.bytes()) + " " + output("two.ppm"));
  ASSERT_EQ(result.exit, 0) << result.err;
  int width = 0, height = 0;
  EXPECT_EQ(readPpm("two-1.ppm", width, height), decodeOk(first).rgb);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(readPpm("two-2.ppm", width, height), (Bytes{7, 8, 9, 6, 7, 8}));
  EXPECT_EQ(width, 2);
  EXPECT_FALSE(std::filesystem::exists(dir.path("two-3.ppm")));
  EXPECT_FALSE(std::filesystem::exists(dir.path("two.ppm")));
}

}  // namespace
