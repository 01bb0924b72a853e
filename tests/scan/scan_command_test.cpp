// imag2png --scan and --info, run as a user runs them. Where pictures are found, in dumps and
// in every kind of disc image, is the finder's tests' part.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/discimage.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int exit = -1;
  std::vector<std::string> lines;  // standard output
};

ToolRun run(std::vector<std::string> args) {
  args.insert(args.begin(), IMAG2PNG);
  std::string command;
  for (const std::string& arg : args) {
    command += " '";
    for (const char c : arg)
      command += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command += "'";
  }
  FILE* out = ::popen((command + " 2>/dev/null").c_str(), "r");
  ToolRun result;
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;)
    text += static_cast<char>(c);
  const int status = ::pclose(out);
  result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
    result.lines.push_back(text.substr(at, end - at));
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

// Width and height from a PNG's header.
std::pair<int, int> pngSize(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[24] = {};
  in.read(reinterpret_cast<char*>(head), sizeof head);
  const auto at = [&](int i) {
    return head[i] << 24 | head[i + 1] << 16 | head[i + 2] << 8 | head[i + 3];
  };
  return {at(16), at(20)};
}

TEST(ScanCommand, WritesEachFindNamedByItsOffsetAndListsIt) {
  TempDir dir;
  const Bytes item = picture(4, 4, 3), first = picture(4, 8, 2);
  const Bytes cat =
      ImagBuilder::cat().raw(Bytes(item.begin() + 12, item.end())).raw(picture(4, 6, 5)).bytes();
  const std::string dump = dir.write("rom.bin", join({Bytes(0x800, 0), first, cat}));
  fs::create_directory(dir.path("out"));
  const std::string out = dir.path("out").string(), catAt = hex(0x800 + first.size());

  const ToolRun once = run({"--scan", "-o", out, dump});
  EXPECT_EQ(once.exit, 0);
  ASSERT_EQ(once.lines.size(), 2u);
  EXPECT_EQ(once.lines[0], "0x800 CLUT8 8x2 " + out + "/rom.bin@0x800.png");
  EXPECT_EQ(once.lines[1], catAt + " CLUT8 4x3 " + out + "/rom.bin@" + catAt + ".png");
  EXPECT_EQ(pngSize(dir.path("out/rom.bin@0x800.png")), std::make_pair(8, 2));

  const ToolRun all = run({"--scan", "--all", "-o", out, dump});
  EXPECT_EQ(all.exit, 0);
  EXPECT_EQ(all.lines.size(), 3u);
  EXPECT_EQ(pngSize(dir.path("out/rom.bin@" + catAt + "-2.png")), std::make_pair(6, 5));

  EXPECT_EQ(run({"--scan", "--classic", "-o", out, dump}).exit, 0);
  EXPECT_EQ(pngSize(dir.path("out/rom.bin@0x800.png")), std::make_pair(384, 280));
}

TEST(ScanCommand, ExitsWithOneWhenNothingIsFoundOrTheCommandIsWrong) {
  TempDir dir;
  const std::string empty = dir.write("nothing.bin", Bytes(5000, 'x'));
  EXPECT_EQ(run({"--scan", empty}).exit, 1);
  EXPECT_EQ(run({"--scan", dir.path("missing").string()}).exit, 1);
  EXPECT_EQ(run({"--info", "--scan", empty}).exit, 1);
  EXPECT_EQ(run({"--scan", "--crop", empty}).exit, 2);
  EXPECT_EQ(run({"--json", empty}).exit, 2);
}

// A name with quotes, a backslash, a newline and a byte that is not UTF-8 still gives one valid
// JSON object a line, with the keys documented.
TEST(ScanCommand, InfoJsonDescribesEachPictureOnOneLine) {
  TempDir dir;
  Bytes shortLength = picture(4, 10, 4);
  setContainerLength(shortLength, 0, 4);
  const std::string path =
      dir.write("we\"ird\\ na\nme\xff.bin",
                join({Bytes(100, 0), shortLength, Bytes(50, 0), picture(8, 16, 8)}));
  const ToolRun info = run({"--info", "--json", "--scan", path});
  EXPECT_EQ(info.exit, 0);
  ASSERT_EQ(info.lines.size(), 2u);
  const auto first = nlohmann::json::parse(info.lines[0]);
  const auto second = nlohmann::json::parse(info.lines[1]);
  for (const char* key : {"path", "offset", "container", "model", "model_name", "width", "height",
                          "line_size", "palette_entries", "pictures", "complete", "warnings"}) {
    EXPECT_TRUE(first.contains(key)) << key;
  }
  EXPECT_EQ(first["path"], dir.path("we\"ird\\ na\nme\xEF\xBF\xBD.bin").string());
  EXPECT_EQ(first["offset"], 100);
  EXPECT_EQ(first["model_name"], "CLUT8");
  EXPECT_EQ(first["palette_entries"], 2);
  EXPECT_EQ(first["data_needed"], 40);
  EXPECT_EQ(first["complete"], true);
  ASSERT_EQ(first["warnings"].size(), 1u);  // the container length of 4 is short
  EXPECT_EQ(second["model_name"], "RL7");
  EXPECT_TRUE(second["data_needed"].is_null());
  EXPECT_EQ(second["complete"], false);  // one line of eight
}

TEST(ScanCommand, InfoWithoutScanReadsAPictureFile) {
  TempDir dir;
  Bytes cut = picture(4, 20, 10);
  cut.resize(cut.size() - 30);
  const ToolRun info = run({"--info", dir.write("cut.imag", cut)});
  EXPECT_EQ(info.exit, 0);
  ASSERT_EQ(info.lines.size(), 1u);
  EXPECT_NE(info.lines[0].find("model 4 CLUT8, 20 x 10, line size 20"), std::string::npos);
  EXPECT_NE(info.lines[0].find("IDAT 170 of 200 bytes, incomplete"), std::string::npos);
  EXPECT_EQ(run({"--info", dir.write("not.imag", Bytes(40, 'F'))}).exit, 1);
}

}  // namespace
