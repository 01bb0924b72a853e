// png2imag run as a user runs it: palette pictures come back exactly through both decodings,
// DYUV comes close to a photograph in both, and a palette too large for the model is refused.

#include <gtest/gtest.h>
#include <spng.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <tuple>

#include "accurate.h"
#include "imageencode.h"
#include "pictureencoder.h"
#include "profile.h"
#include "support/framecheck.h"
#include "support/tempdir.h"
#include "support/toolrun.h"
#include "testchart.h"

namespace {

// DIR/in.png of red, green, blue `rgb`: indexed, as imag2png writes it, when of 256 colours or
// fewer.
void writePng(const TempDir& dir, int width, int height, const Bytes& rgb) {
  std::string error;
  const Bytes png = encodeImage({width, height, rgb}, ImageFormat::png, error);
  ASSERT_EQ(error, "");
  dir.write("in.png", png);
}

// Converts DIR/in.png with `model`, then reads the result back by the decoding of its layout:
// red, green, blue of width x height pixels; empty when either step fails.
Bytes convertAndDecode(const TempDir& dir, const char* model, bool classic, int width, int height) {
  const std::string in = dir.path("in.png").string(), out = dir.path("out.imag").string();
  std::vector<std::string> args = {PNG2IMAG, in, out, "--model", model};
  if (classic) args.push_back("--classic");
  const ToolRun run = runTool(args);
  EXPECT_EQ(run.exit, 0) << run.err;
  EXPECT_EQ(run.err.empty(), width <= 768 && height <= 560) << run.err;  // wider: a word
  // By default the viewer and imag2png show it in the layout it was written in.
  const Profile shown = chooseProfile(readFile(out), ProfileMode::automatic).profile;
  if (classic || std::string_view(model) == "dyuv" || std::string_view(model) == "rl3") {
    EXPECT_EQ(shown, classic ? Profile::classic : Profile::accurate) << model;
  }
  if (classic) return viewerRgb(readFile(out), width, height);
  AccuratePicture picture;
  const bool decoded = decodeAccurateFile(out.c_str(), {}, picture) == DecodeStatus::ok;
  const bool whole = picture.complete && picture.width == width && picture.height == height;
  return decoded && whole ? picture.rgb : Bytes{};
}

// `n` bytes from `skip` into the body of the first chunk `id` of the converted DIR/out.imag.
Bytes chunkBytes(const TempDir& dir, std::string_view id, int skip, int n) {
  const Bytes file = readFile(dir.path("out.imag"));
  const auto body = std::search(file.begin(), file.end(), id.begin(), id.end()) + 8 + skip;
  return Bytes(body, body + n);
}

// Distinct colours for every index: 37 is odd, so n * 37 runs through all of 0..255.
Rgb distinct(int n) {
  return {std::uint8_t(n * 37), std::uint8_t(255 - n), std::uint8_t(n ^ 0xA5)};
}

// Rows that take every coding path: one colour throughout (a to-the-end run), every pixel
// different (single codes), two runs of half a line (on long lines longer than a counted run, in
// pixels and in RL3 pairs), and runs of 1 to 3; odd widths leave half a byte or pair.
Bytes picture(int width, int height, int colours) {
  Bytes rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int n = y == 0   ? 0
                    : y == 1 ? x
                    : y == 2 ? x / (width / 2) + 1
                             : (x * 7 + y) / (4 * y - 4);
      const Rgb c = distinct(n % colours);
      rgb.insert(rgb.end(), {c.r, c.g, c.b});
    }
  }
  return rgb;
}

struct PaletteCase {
  const char* model;
  int colours;
  bool classic;
};

void PrintTo(const PaletteCase& c, std::ostream* out) {
  *out << c.model << (c.classic ? " classic" : "");
}

class PaletteRoundTrip : public testing::TestWithParam<PaletteCase> {};

TEST_P(PaletteRoundTrip, EveryPixelComesBackAsItsColour) {
  const PaletteCase c = GetParam();
  const int width = c.classic ? 383 : 1201, height = 6;  // the classic frame is 384 wide
  const Bytes rgb = picture(width, height, c.colours);
  TempDir dir;
  writePng(dir, width, height, rgb);
  const Bytes back = convertAndDecode(dir, c.model, c.classic, width, height);
  ASSERT_EQ(back.size(), rgb.size());
  const auto wrong = std::mismatch(rgb.begin(), rgb.end(), back.begin()).first - rgb.begin();
  EXPECT_EQ(wrong, std::ssize(rgb)) << "pixel " << wrong / 3 << " differs";
}

INSTANTIATE_TEST_SUITE_P(
    Models, PaletteRoundTrip,
    testing::Values(PaletteCase{"clut8", 256, false}, PaletteCase{"clut7", 128, false},
                    PaletteCase{"clut4", 16, false}, PaletteCase{"clut3", 8, false},
                    PaletteCase{"rl7", 128, false}, PaletteCase{"rl3", 8, false},
                    PaletteCase{"clut8", 256, true}, PaletteCase{"clut7", 128, true},
                    PaletteCase{"clut4", 16, true}, PaletteCase{"rl7", 128, true},
                    PaletteCase{"rl3", 8, true}),
    [](const testing::TestParamInfo<PaletteCase>& info) {
      return std::string(info.param.model) + (info.param.classic ? "_classic" : "");
    });

// A palette PNG of more colours than CLUT4 holds, using entries 16, 0 and 3: its colours keep
// their order in it, the numbers cannot. In CLUT8, which holds them all, they keep their numbers.
TEST(Png2imag, AnIndexedPngsLargerPaletteGivesItsOrder) {
  spng_plte plte{};
  plte.n_entries = 20;
  for (std::uint32_t n = 0; n < plte.n_entries; ++n)
    plte.entries[n] = {distinct(int(n)).r, distinct(int(n)).g, distinct(int(n)).b, 255};
  spng_ihdr ihdr{3, 1, 8, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0};
  const std::uint8_t indices[] = {16, 0, 3};
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_ihdr(ctx, &ihdr);
  spng_set_plte(ctx, &plte);
  ASSERT_EQ(spng_encode_image(ctx, indices, 3, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE), 0);
  std::size_t size = 0;
  int error = 0;
  auto* png = static_cast<std::uint8_t*>(spng_get_png_buffer(ctx, &size, &error));
  spng_ctx_free(ctx);
  TempDir dir;
  dir.write("in.png", Bytes(png, png + size));
  std::free(png);
  const auto colours = [](std::initializer_list<int> entries) {
    Bytes rgb;
    for (const int n : entries)
      rgb.insert(rgb.end(), {distinct(n).r, distinct(n).g, distinct(n).b});
    return rgb;
  };
  EXPECT_EQ(convertAndDecode(dir, "clut4", false, 3, 1), colours({16, 0, 3}));
  EXPECT_EQ(chunkBytes(dir, "PLTE", 4, 9), colours({0, 3, 16}));
  EXPECT_EQ(convertAndDecode(dir, "clut8", false, 3, 1), colours({16, 0, 3}));
  EXPECT_EQ(chunkBytes(dir, "PLTE", 4 + 3 * 16, 3), colours({16}));
  EXPECT_EQ(readFile(dir.path("out.imag")).back(), 0);  // the pad byte of the 3-byte IDAT
}

// White then black: the pair run "to the end" reads as a classic run to the row's end too, so
// the line is counted instead, and the automatic profile still shows the pairs.
TEST(Png2imag, Rl3PairsThatReadAsClassicCodesTooAreWrittenAnotherWay) {
  TempDir dir;
  const Bytes rgb = {255, 255, 255, 0, 0, 0};
  writePng(dir, 2, 1, rgb);
  EXPECT_EQ(convertAndDecode(dir, "rl3", false, 2, 1), rgb);
  // The indexed PNG's palette order stands: white first.
  EXPECT_EQ(chunkBytes(dir, "PLTE", 4, 3), (Bytes{255, 255, 255}));
  writePng(dir, 1, 2, rgb);  // one pixel wide
  EXPECT_EQ(convertAndDecode(dir, "clut8", false, 1, 2), rgb);
}

// DYUV in both layouts, each read by its own decoding, against the photograph in red, green, blue.
class DyuvPhotograph : public testing::TestWithParam<bool> {};

TEST_P(DyuvPhotograph, ComesWithin30DecibelsOfASmoothPhotograph) {
  RgbPicture photo = photograph(383, 280, 0);  // an odd width: DYUV pairs pixels
  // Lines that start white, blue and yellow start at the ends of the byte's range.
  photo.pixels[0] = {255, 255, 255}, photo.pixels[383] = {0, 0, 255};
  photo.pixels[766] = {255, 255, 0};
  for (int y = 0; y < 280; y += 2)  // a white dot at the end of every other line
    photo.pixels[383 * y + 382] = {255, 255, 255};
  Bytes rgb;
  for (const Rgb& c : photo.pixels)
    rgb.insert(rgb.end(), {c.r, c.g, c.b});
  TempDir dir;
  writePng(dir, photo.width, photo.height, rgb);
  const Bytes decoded = convertAndDecode(dir, "dyuv", GetParam(), photo.width, photo.height);
  ASSERT_EQ(decoded.size(), rgb.size());
  if (!GetParam()) {  // the IHDR's start is the first line's, for readers that skip YUVS
    EXPECT_EQ(chunkBytes(dir, "IHDR", 11, 3), chunkBytes(dir, "YUVS", 0, 3));
    EXPECT_EQ(chunkBytes(dir, "YUVS", 0, 9), (Bytes{255, 128, 128, 29, 255, 107, 226, 0, 149}));
  }
  double squares = 0;
  for (std::size_t i = 0; i < rgb.size(); ++i)
    squares += (rgb[i] - decoded[i]) * (rgb[i] - decoded[i]);
  EXPECT_GE(10 * std::log10(255.0 * 255.0 * rgb.size() / squares), 30.0);
  int dots = 0;
  for (int y = 0; y < 280; y += 2)
    dots += decoded[3 * (383 * y + 382)];
  EXPECT_GE(dots, 140 * 180) << dots / 140;  // the dots come through, on average
}

INSTANTIATE_TEST_SUITE_P(Layouts, DyuvPhotograph, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "classic" : "accurate");
                         });

// Larger than any CD-i screen: converted with a word; larger than the classic frame: refused
// with --classic, since that layout cannot show it, and nothing is written.
TEST(Png2imag, LargePicturesAreWarnedOfOrRefusedByTheClassicLayout) {
  TempDir dir;
  writePng(dir, 769, 2, picture(769, 2, 16));  // one pixel wider than the widest screen
  const std::string in = dir.path("in.png").string(), out = dir.path("out.imag").string();
  const ToolRun wide = runTool({PNG2IMAG, in, out, "--model", "clut8"});
  EXPECT_EQ(wide.exit, 0);
  EXPECT_NE(wide.err.find("larger than any CD-i screen (768 x 560)"), std::string::npos);
  std::filesystem::remove(out);
  const ToolRun classic = runTool({PNG2IMAG, in, out, "--model", "clut8", "--classic"});
  EXPECT_EQ(classic.exit, 1);
  EXPECT_NE(classic.err.find("at most 384 x 280"), std::string::npos) << classic.err;
  EXPECT_FALSE(std::filesystem::exists(out));
  writePng(dir, 384, 280, picture(384, 280, 16));  // the frame's own size
  EXPECT_EQ(runTool({PNG2IMAG, in, out, "--model", "clut8", "--classic"}).exit, 0);
}

// IHDR holds 16-bit sizes: 65535 lines, or lines of 65535 bytes, fit; one more does not.
TEST(Png2imag, PicturesUpToTheHeadersLimits) {
  const auto encode = [](int width, int height, const char* model) {
    const RgbPicture image{width, height, std::vector<Rgb>(std::size_t(width) * height)};
    return encodePicture(image, nullptr, *modelNamed(model), PictureLayout::accurate);
  };
  EXPECT_EQ(encode(1, 65535, "clut8").error, "");
  EXPECT_EQ(encode(1, 65536, "clut8").error,
            "a CLUT8 picture of 1 x 65536 pixels does not fit a CD-i header");
  EXPECT_EQ(encode(21845, 1, "rgb888").error, "");
  EXPECT_NE(encode(21846, 1, "rgb888").error, "");
}

// Refused with the reason, and nothing written.
TEST(Png2imag, RefusesWhatTheModelCannotHold) {
  const std::tuple<int, std::vector<std::string>, const char*> cases[] = {
      {17, {"--model", "clut4"}, "more than 16 colours"},
      {9, {"--model", "rl3"}, "more than 8 colours"},
      {129, {"--model", "clut7"}, "more than 128 colours"},
      {4, {"--model", "rgb888", "--classic"}, "the classic frame does not show RGB888 pictures"},
  };
  for (const auto& [colours, options, says] : cases) {
    TempDir dir;
    writePng(dir, 130, 2, picture(130, 2, colours));
    const std::string output = dir.path("out.imag").string();
    std::vector<std::string> args = {PNG2IMAG, dir.path("in.png").string(), output};
    args.insert(args.end(), options.begin(), options.end());
    const ToolRun run = runTool(args);
    EXPECT_EQ(run.exit, 1) << says;
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    if (std::string_view(says).starts_with("more than")) {  // and how to reduce them
      EXPECT_NE(run.err.find("pngquant"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(output));
  }
  TempDir dir;  // a file too large to be read whole, however sparse
  const std::string huge = dir.write("huge.png", {});
  std::filesystem::resize_file(huge, (std::uintmax_t{256} << 20) + 1);
  EXPECT_NE(runTool({PNG2IMAG, "--model", "clut8", huge, dir.path("out.imag").string()})
                .err.find("over 256 MiB"),
            std::string::npos);
  EXPECT_EQ(runTool({PNG2IMAG, "in.png", "out.imag", "--model"}).exit, 2);  // and no value
  // After --, every argument is a path, even one that reads as an option.
  EXPECT_EQ(runTool({PNG2IMAG, "--model", "clut8", "--", "--help", "out.imag"}).exit, 1);
}

}  // namespace
