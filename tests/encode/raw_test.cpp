// imag2png --raw: headerless data shown with the palette or start values it is given, or with
// the defaults without them.

#include <gtest/gtest.h>

#include "support/picturefile.h"
#include "support/toolrun.h"

namespace {

using Pixel = std::array<std::uint8_t, 3>;  // red, green, blue
using Pixels = std::vector<Pixel>;

struct RawCase {
  const char* name;
  std::string shape;
  Bytes data;
  enum { none, triplets, iff } palette;
  std::string start;  // --start, or empty
  Pixels want;
};

// Entry n of the test palette: distinct in every channel.
Pixel entry(int n) {
  return {std::uint8_t(10 * n), std::uint8_t(200 - n), std::uint8_t(n * 7 + 1)};
}

Pixel grey(int level) {
  return {std::uint8_t(level), std::uint8_t(level), std::uint8_t(level)};
}

void PrintTo(const RawCase& c, std::ostream* out) {
  *out << c.name;
}

class Raw : public testing::TestWithParam<RawCase> {};

TEST_P(Raw, ShowsTheDataWithWhatItIsGiven) {
  const RawCase& c = GetParam();
  TempDir dir;
  std::vector<std::string> args = {"--raw", c.shape};
  std::vector<Rgb> palette;  // the test palette, as an IFF file and as triplets
  Bytes triplets;
  for (int n = 0; n < 16; ++n) {
    const Pixel e = entry(n);
    palette.push_back({e[0], e[1], e[2]});
    triplets.insert(triplets.end(), e.begin(), e.end());
  }
  if (c.palette == RawCase::triplets)
    args.insert(args.end(), {"--palette", dir.write("palette.rgb", triplets)});
  const Bytes iff = ImagBuilder::form().plte(palette).bytes();
  if (c.palette == RawCase::iff)
    args.insert(args.end(), {"--palette", dir.write("palette.imag", iff)});
  if (!c.start.empty()) args.insert(args.end(), {"--start", c.start});
  args.insert(args.end(), {dir.write("data.raw", c.data), dir.path("out.ppm").string()});
  const ToolRun run = runImag2png(args);
  ASSERT_EQ(run.exit, 0) << run.err;
  Bytes want;
  for (const auto& pixel : c.want)
    want.insert(want.end(), pixel.begin(), pixel.end());
  EXPECT_EQ(readPicture(dir.path("out.ppm")).rgb, want);
}

// DYUV data of zero steps shows the start colour everywhere: Y, U, V = 100, 200, 128 is
// red 100, green 100 - 86 * 72 / 256 = 76, blue 100 + 444 * 72 / 256 = 224.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Models, Raw, testing::Values(
    RawCase{"clut4_triplets", "clut4:3x2", {0x12, 0x30, 0xF0, 0x50}, RawCase::triplets, "",
            {entry(1), entry(2), entry(3), entry(15), entry(0), entry(5)}},
    RawCase{"clut4_iff_palette", "clut4:3x1", {0x12, 0x30}, RawCase::iff, "", {entry(1), entry(2), entry(3)}},
    RawCase{"clut4_greys", "clut4:3x1", {0x0F, 0x50}, RawCase::none, "", {grey(0), grey(255), grey(85)}},
    RawCase{"dyuv_start", "dyuv:4x2", Bytes(8, 0), RawCase::none, "100,200,128", Pixels(8, {100, 76, 224})},
    RawCase{"dyuv_default_start", "dyuv:2x1", {0x00, 0x03}, RawCase::none, "", {grey(16), grey(25)}}),
    [](const testing::TestParamInfo<RawCase>& info) { return std::string(info.param.name); });
// clang-format on

// What --raw refuses, and why, writing nothing; the largest numbers each field holds are taken.
TEST(RawShape, RefusalsSayWhatIsWrong) {
  TempDir dir;
  const std::string data = dir.write("data.raw", Bytes(65535, 0));
  const std::string out = dir.path("out.ppm").string();
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"clut4"}, "--raw needs MODEL:WIDTHxHEIGHT"},
      {{"bogus:1x1"}, "--raw needs MODEL:WIDTHxHEIGHT"},
      {{"clut4:0x1"}, "each 1 to 65535: 'clut4:0x1'"},
      {{"clut4:65536x1"}, "each 1 to 65535"},
      {{"rgb888:21846x1"}, "lines of 21846 pixels are too long for rgb888"},
      {{"dyuv:2x1", "--start", "1,2"}, "--start needs Y,U,V, each 0 to 255: '1,2'"},
      {{"dyuv:2x1", "--start", "0,255,256"}, "each 0 to 255: '0,255,256'"},
      {{"dyuv:2x1", "--start", "0,256,0"}, "each 0 to 255: '0,256,0'"},
      {{"rgb888:21845x1"}, ""},  // these write the output
      {{"clut8:1x1", "--palette", dir.write("768.rgb", Bytes(768, 0))}, ""},
      {{"clut4:65535x1"}, ""},
      {{"dyuv:2x1", "--start", "255,255,255"}, ""},
  };
  for (auto [args, says] : cases) {
    std::filesystem::remove(out);
    args.insert(args.begin(), "--raw");
    args.insert(args.end(), {data, out});
    const ToolRun run = runImag2png(args);
    EXPECT_EQ(run.exit, *says != '\0' ? 2 : 0) << args[1];
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    EXPECT_EQ(run.err.empty(), *says == '\0') << run.err;
    EXPECT_EQ(std::filesystem::exists(out), *says == '\0') << args[1];
  }
  const std::string large = dir.write("771.rgb", Bytes(771, 0));
  const ToolRun refused = runImag2png({"--raw", "clut8:1x1", "--palette", large, data, out});
  EXPECT_NE(refused.err.find("up to 256 RGB triplets"), std::string::npos) << refused.err;
}

}  // namespace
