// imag2png --scan and --info, run as a user runs them. Where pictures are found, in dumps and
// in every kind of disc image, is the finder's tests' part.

#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "status.h"

#include "support/discimage.h"
#include "support/picturefile.h"
#include "support/realtimesectors.h"
#include "support/toolrun.h"

namespace {

namespace fs = std::filesystem;

// The exit status of imag2png run with `args`, and the lines of its standard output.
struct Listing {
  int exit = -1;
  std::vector<std::string> lines;
};

Listing run(const std::vector<std::string>& args, const ToolLimits& limits = {}) {
  const ToolRun tool = runImag2png(args, limits);
  Listing result{tool.exit, {}};
  for (std::size_t at = 0, end; (end = tool.out.find('\n', at)) != std::string::npos; at = end + 1)
    result.lines.push_back(tool.out.substr(at, end - at));
  return result;
}

// A picture of `model` (CLUT8 or RL7) of two colours, every line complete for CLUT8 and only
// the first for RL7.
Bytes picture(int model, int width, int height) {
  const ImagHeader header = ImagHeader::of(model, width, height);
  const Bytes data = model == 4 ? Bytes(std::size_t(width) * height, 1) : Bytes{0x80, 0};
  return ImagBuilder::form().plte({{255, 0, 0}, {0, 255, 0}}).ihdr(header).idat(data).bytes();
}

std::string hex(std::size_t n) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%zx", n);
  return text;
}

std::pair<int, int> pngSize(const fs::path& path) {
  const PictureFile png = readPicture(path);
  return {png.width, png.height};
}

TEST(ScanCommand, WritesEachFindNamedByItsOffsetAndListsIt) {
  TempDir dir;
  const Bytes item = picture(4, 4, 3), first = picture(4, 8, 2);
  const Bytes cat =
      ImagBuilder::cat().raw(Bytes(item.begin() + 12, item.end())).raw(picture(4, 6, 5)).bytes();
  const std::string dump = dir.write("rom.bin", join({Bytes(0x800, 0), first, cat}));
  fs::create_directory(dir.path("out"));
  const std::string out = dir.path("out").string(), catAt = hex(0x800 + first.size());

  const Listing once = run({"--scan", "--accurate", "-o", out, dump});
  EXPECT_EQ(once.exit, 0);
  ASSERT_EQ(once.lines.size(), 2u);
  EXPECT_EQ(once.lines[0], "0x800 CLUT8 8x2 " + out + "/rom.bin@0x800.png");
  EXPECT_EQ(once.lines[1], catAt + " CLUT8 4x3 " + out + "/rom.bin@" + catAt + ".png");
  EXPECT_EQ(pngSize(dir.path("out/rom.bin@0x800.png")), std::make_pair(8, 2));

  // Without a standard input, the dump is descriptor 0.
  const Listing all = run({"--scan", "--all", "-o", out, dump}, {.closedInput = true});
  EXPECT_EQ(all.exit, 0);
  EXPECT_EQ(all.lines.size(), 3u);
  EXPECT_EQ(pngSize(dir.path("out/rom.bin@" + catAt + "-2.png")), std::make_pair(6, 5));

  // By default a picture whose header fits the classic frame is written as that frame.
  EXPECT_EQ(run({"--scan", "-o", out, dump}).exit, 0);
  EXPECT_EQ(pngSize(dir.path("out/rom.bin@0x800.png")), std::make_pair(384, 280));
  // Two dumps of one name into one folder: the second's pictures would overwrite the first's.
  fs::create_directory(dir.path("again"));
  const std::string again = dir.write("again/rom.bin", readFile(dump));
  const ToolRun twice = runImag2png({"--scan", "-o", out, dump, again});
  EXPECT_EQ(twice.exit, 1);
  EXPECT_NE(twice.err.find("written for an earlier picture"), std::string::npos) << twice.err;
}

TEST(ScanCommand, ExitsWithOneWhenNothingIsFound) {
  TempDir dir;
  const std::string empty = dir.write("nothing.bin", Bytes(5000, 'x'));
  const ToolRun nothing = runImag2png({"--scan", empty});
  EXPECT_EQ(nothing.exit, 1);
  EXPECT_EQ(nothing.err, "imag2png: " + empty + ": no picture found\n");
  const std::string missing = dir.path("missing").string();
  const ToolRun gone = runImag2png({"--scan", missing});
  EXPECT_EQ(gone.exit, 1);
  EXPECT_EQ(gone.err.rfind("imag2png: " + missing + ": cannot open the file", 0), 0u) << gone.err;
  const ToolRun none = runImag2png({"--info", "--scan", empty});
  EXPECT_EQ(none.exit, 1);
  EXPECT_NE(none.err.find(": no picture found"), std::string::npos) << none.err;
  const ToolRun noPalette = runImag2png({"--scan", "--palette", missing, empty});
  EXPECT_EQ(noPalette.exit, 1);
  EXPECT_EQ(noPalette.err.rfind("imag2png: --palette: " + missing + ": ", 0), 0u) << noPalette.err;
  const ToolRun infoNoPalette = runImag2png({"--info", "--scan", "--palette", missing, empty});
  EXPECT_EQ(infoNoPalette.exit, 1);
  EXPECT_EQ(infoNoPalette.err, noPalette.err);
  const ToolRun file = runImag2png({"--scan", "-o", empty, empty});
  EXPECT_EQ(file.err, "imag2png: " + empty + ": not a folder\n");
}

// A name with quotes, a backslash, a newline and a byte that is not UTF-8 still gives one valid
// JSON object a line, with the keys documented.
TEST(ScanCommand, InfoJsonDescribesEachPictureOnOneLine) {
  TempDir dir;
  Bytes shortLength = picture(4, 10, 4);
  setContainerLength(shortLength, 0, 4);
  const Bytes dump = join({Bytes(100, 0), shortLength, Bytes(50, 0), picture(8, 16, 8)});
  const std::string path = dir.write("we\"ird\\ na\nme\xff.bin", dump);
  const Listing info = run({"--info", "--json", "--scan", path});
  EXPECT_EQ(info.exit, 0);
  ASSERT_EQ(info.lines.size(), 2u);
  const auto second = nlohmann::json::parse(info.lines[1]);
  const std::string reach = std::to_string(shortLength.size() - 8);
  // clang-format off
  const nlohmann::json first = {
      {"path", dir.path("we\"ird\\ na\nme\xEF\xBF\xBD.bin").string()}, {"offset", 100}, {"container", "FORM"},
      {"picture", 1}, {"pictures", 1}, {"model", 4}, {"model_name", "CLUT8"}, {"width", 10}, {"height", 4},
      {"line_size", 10}, {"palette_entries", 2}, {"palette_offset", 0}, {"data_bytes", 40}, {"data_needed", 40},
      {"complete", true}, {"profile", "classic"}, {"profile_reason", "the header fits the classic frame"},
      {"byte_order", "straight"}, {"warnings", {"the container length says 4 bytes; its chunks reach " + reach}}};
  // clang-format on
  EXPECT_EQ(nlohmann::json::parse(info.lines[0]), first);
  EXPECT_NE(info.lines[0].find("me\xEF\xBF\xBD.bin"), std::string::npos);  // UTF-8, not escaped
  EXPECT_EQ(second["model_name"], "RL7");
  EXPECT_TRUE(second["data_needed"].is_null());
  EXPECT_EQ(second["complete"], false);  // one line of eight
  const std::string plain = dir.write("dump.bin", dump);
  EXPECT_EQ(run({"--info", "--scan", plain}).lines.at(0).rfind(plain + ": offset 0x64, FORM, ", 0),
            0u);
}

// Finds that are not IFF files as stored say so: real-time records, swapped words, and the BIN
// file a cue sheet names, whose name the written picture takes.
TEST(ScanCommand, DiscAndDumpFindsAreNamedAndDescribed) {
  TempDir dir;
  SectorImage video;
  video.record(Bytes(384 * 240, 7), 0x12, 3);  // CLUT8, double resolution, channel 3
  dir.write("movie.bin", video.bytes());
  const std::string sheet =
      "FILE \"movie.bin\" BINARY\n TRACK 01 MODE2/2336\n INDEX 01 00:00:00\n"
      "FILE gone.bin BINARY\n TRACK 02 MODE2/2336\n INDEX 01 00:00:00\n";
  const std::string cue = dir.write("movie.cue", Bytes(sheet.begin(), sheet.end()));
  const std::string dump = dir.write("rom.bin", swapWords(join({Bytes(10, 0), picture(4, 8, 2)})));

  const Listing info = run({"--info", "--json", "--scan", cue, dump});
  EXPECT_EQ(info.exit, 1);  // gone.bin is missing; the others are still read
  ASSERT_EQ(info.lines.size(), 2u);
  const auto film = nlohmann::json::parse(info.lines[0]),
             swapped = nlohmann::json::parse(info.lines[1]);
  EXPECT_EQ(film["path"], dir.path("movie.bin").string());
  EXPECT_EQ(film["container"], "real-time");
  EXPECT_EQ(film["rt_file"], 1);
  EXPECT_EQ(film["rt_channel"], 3);
  EXPECT_EQ(film["rt_coding"], 0x12);
  EXPECT_EQ(film["offset"], 8);
  EXPECT_EQ(film["width"], 768);
  EXPECT_EQ(film["byte_order"], "straight");
  ASSERT_EQ(film["warnings"].size(), 1u);  // no palette: greys
  EXPECT_EQ(swapped["byte_order"], "swapped");
  EXPECT_EQ(swapped["container"], "FORM");
  EXPECT_FALSE(swapped.contains("rt_coding"));

  const std::string palette = dir.write("palette.rgb", Bytes(3 * 8, 0x40));
  const Listing written = run({"--scan", "--palette", palette, "-o", dir.root().string(), cue});
  EXPECT_EQ(written.exit, 1);
  const PictureFile png = readPicture(dir.path("movie.bin@0x8.png"));
  ASSERT_EQ(png.width, 768);
  EXPECT_EQ(png.rgb[0], 0x40);  // entry 7 of the palette given, not a grey of the ramp
}

TEST(ScanCommand, InfoWithoutScanReadsAPictureFile) {
  TempDir dir;
  Bytes cut = picture(4, 20, 10);
  cut.resize(cut.size() - 30);
  const Listing info = run({"--info", dir.write("cut.imag", cut)});
  EXPECT_EQ(info.exit, 0);
  ASSERT_EQ(info.lines.size(), 1u);
  EXPECT_NE(info.lines[0].find("model 4 CLUT8, 20 x 10, line size 20"), std::string::npos);
  EXPECT_NE(info.lines[0].find("IDAT 170 of 200 bytes, incomplete"), std::string::npos);
  EXPECT_NE(info.lines[0].find("classic profile (the header fits the classic frame); warning: the "
                               "picture data ends early; the rest is black"),
            std::string::npos);
  // Two single RL3 codes: as pairs they fill a line of 4, as classic pixels they do not.
  const std::string pairs = dir.write(
      "pairs.imag", ImagBuilder::form().ihdr(ImagHeader::of(9, 4, 1)).idat({1, 2}).bytes());
  for (const auto& [profile, says] : {std::pair{"--accurate", ", complete, accurate profile"},
                                      std::pair{"--classic", ", incomplete, classic profile"}}) {
    const Listing rl3 = run({"--info", profile, pairs});
    ASSERT_EQ(rl3.lines.size(), 1u);
    EXPECT_NE(rl3.lines[0].find(says), std::string::npos) << rl3.lines[0];
  }
  Bytes oneShort = picture(4, 2, 2);  // its length leaves out its last byte
  setContainerLength(oneShort, 0, std::uint32_t(oneShort.size() - 9));
  EXPECT_NE(run({"--info", dir.write("short.imag", oneShort)}).lines.at(0).find("its chunks reach"),
            std::string::npos);
  // A refused file is a JSON line too, so that a script sees every file it named.
  const std::string refused = dir.write("not.imag", Bytes(40, 'F'));
  const Listing json = run({"--info", "--json", dir.path("cut.imag").string(), refused});
  EXPECT_EQ(json.exit, 1);
  ASSERT_EQ(json.lines.size(), 2u);
  const auto first = nlohmann::json::parse(json.lines[0]);
  EXPECT_EQ(first["profile"], "classic");
  EXPECT_EQ(first["profile_reason"], "the header fits the classic frame");
  EXPECT_EQ(
      nlohmann::json::parse(json.lines[1]),
      (nlohmann::json{{"path", refused}, {"error", decodeStatusText(DecodeStatus::notCdiImage)}}));
  const std::string headless = dir.write("headless.imag", ImagBuilder::form().idat({1}).bytes());
  const std::string dataless =
      dir.write("dataless.imag", ImagBuilder::form().ihdr(ImagHeader::of(2, 2, 2)).bytes());
  const std::string empty = dir.write("empty.cat", ImagBuilder::cat().bytes());
  const Listing noHeader = run({"--info", "--json", headless, dataless, empty});
  EXPECT_EQ(noHeader.exit, 1);
  ASSERT_EQ(noHeader.lines.size(), 3u);  // a CAT of no picture is described all the same
  const auto described = nlohmann::json::parse(noHeader.lines[0]);
  EXPECT_EQ(described["width"], 0);  // a picture without IHDR has no size, nor model
  EXPECT_EQ(described["model"], 0);
  EXPECT_TRUE(described["data_needed"].is_null());
  const auto rgb555 = nlohmann::json::parse(noHeader.lines[1]);  // each line twice
  EXPECT_EQ(rgb555["data_bytes"], 0);
  EXPECT_EQ(rgb555["palette_entries"], 0);
  EXPECT_EQ(rgb555["data_needed"], 4 * rgb555["line_size"].get<int>());
  EXPECT_EQ(described["warnings"][0], decodeStatusText(DecodeStatus::noPicture));
}

}  // namespace
