// imag2png --accurate, --aspect and --all, run as a program. Options that do not fit together
// are in the converter's usage table.

#include "accuratecheck.h"
#include "support/picturefile.h"
#include "support/toolrun.h"

namespace {

class AccurateConverter : public ::testing::Test {
 protected:
  // Converts `file` with `options`, then the accurate output NAME.
  ToolRun run(std::vector<std::string> options, const Bytes& file, const std::string& name) {
    options.insert(options.end(), {dir.write(name + ".imag", file), path(name + ".ppm")});
    return runImag2png(options);
  }
  std::string path(const std::string& name) const { return dir.path(name).string(); }

  TempDir dir;
};

// A CLUT8 picture wider than the viewer's frame: pixel (x, y) is entry (x + y) mod 256.
Bytes widePicture(int width, int height) {
  Bytes data;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      data.push_back(std::uint8_t(x + y));
  }
  ImagBuilder file = ImagBuilder::form().chunk("PLTE", plteBody(0, greys(254)));
  return file.ihdr(header(4, width, width, height)).idat(data).bytes();
}

TEST_F(AccurateConverter, WritesThePictureAtItsOwnSize) {
  const Bytes file = widePicture(500, 3);
  const ToolRun result = run({"--accurate"}, file, "wide");
  ASSERT_EQ(result.exit, 0) << result.err;
  const PictureFile ppm = readPicture(path("wide.ppm"));
  EXPECT_EQ(std::pair(ppm.width, ppm.height), std::pair(500, 3));
  EXPECT_EQ(ppm.rgb, decodeOk(file).rgb);
}

TEST_F(AccurateConverter, AspectDoublesNormalResolutionOnly) {
  const auto picture = [](int model, int width, int lineSize, const Bytes& data) {
    ImagBuilder file = ImagBuilder::form().chunk("PLTE", plteBody(0, greys(16)));
    return file.ihdr(header(model, width, lineSize, 1)).idat(data).bytes();
  };
  ASSERT_EQ(run({"--accurate", "--aspect"}, picture(4, 2, 2, {1, 2}), "n").exit, 0);
  ASSERT_EQ(run({"--accurate", "--aspect"}, picture(6, 2, 1, {0x12}), "d").exit, 0);
  const PictureFile normal = readPicture(path("n.ppm")), doubled = readPicture(path("d.ppm"));
  EXPECT_EQ(normal.width, 4);
  EXPECT_EQ(normal.rgb, (Bytes{1, 2, 3, 1, 2, 3, 2, 3, 4, 2, 3, 4}));
  EXPECT_EQ(doubled.width, 2);
  EXPECT_EQ(doubled.rgb, (Bytes{1, 2, 3, 2, 3, 4}));
}

TEST_F(AccurateConverter, RefusedPicturesWriteNothing) {
  const ToolRun result =
      run({"--accurate"}, ImagBuilder::form().ihdr(header(10, 1, 1, 1)).bytes(), "plte");
  EXPECT_EQ(result.exit, 1);
  EXPECT_NE(result.err.find(decodeStatusText(DecodeStatus::noPicture)), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path("plte.ppm")));
}

TEST_F(AccurateConverter, AllWritesEveryPictureOfACatNumbered) {
  const Bytes first = widePicture(3, 1);
  ImagBuilder cat = ImagBuilder::cat();
  cat.raw(Bytes(first.begin() + 12, first.end()));  // the chunks of a FORM, as the CAT's first item
  cat.raw({'F', 'O', 'R', 'M', 0, 0, 0, 0, 'I', 'M', 'A', 'G'});
  cat.chunk("PLTE", plteBody(0, greys(8))).ihdr(header(4, 2, 2, 1)).idat({7, 6});
  const ToolRun result = run({"--accurate", "--all"}, cat.bytes(), "two");
  ASSERT_EQ(result.exit, 0) << result.err;
  const PictureFile one = readPicture(path("two-1.ppm")), two = readPicture(path("two-2.ppm"));
  EXPECT_EQ(one.rgb, decodeOk(first).rgb);
  EXPECT_EQ(one.width, 3);
  EXPECT_EQ(two.rgb, (Bytes{7, 8, 9, 6, 7, 8}));
  EXPECT_EQ(two.width, 2);
  EXPECT_FALSE(std::filesystem::exists(dir.path("two-3.ppm")));
  EXPECT_FALSE(std::filesystem::exists(dir.path("two.ppm")));
  const ToolRun none = run({"--all"}, ImagBuilder::cat().bytes(), "none");
  EXPECT_NE(none.err.find(decodeStatusText(DecodeStatus::noPicture)), std::string::npos);
}

}  // namespace
