// imag2png --scan and --info, run as a user runs them.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/discimage.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int exit = -1;
  std::vector<std::string> lines;  // standard output
};

std::string quote(const std::string& s) {
  std::string out = "'";
  for (char c : s)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

ToolRun run(const TempDir& dir, const std::vector<std::string>& args) {
  std::string command = quote(IMAG2PNG);
  for (const std::string& arg : args)
    command += " " + quote(arg);
  const fs::path out = dir.path("stdout.txt");
  const int status = std::system((command + " >" + quote(out.string()) + " 2>/dev/null").c_str());
  ToolRun result;
  result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(out);
  for (std::string line; std::getline(in, line);)
    result.lines.push_back(line);
  return result;
}

Bytes clut8(int width, int height, std::uint32_t formLength = 0) {
  ImagHeader header;
  header.model = 4;
  header.width = header.lineSize = static_cast<std::uint16_t>(width);
  header.height = static_cast<std::uint16_t>(height);
  Bytes file = ImagBuilder::form()
                   .plte({{255, 0, 0}, {0, 255, 0}})
                   .ihdr(header)
                   .idat(Bytes(std::size_t(width) * height, 1))
                   .bytes();
  if (formLength != 0) {
    for (int i = 0; i < 4; ++i)
      file[4 + i] = static_cast<std::uint8_t>(formLength >> (24 - 8 * i));
  }
  return file;
}

Bytes rl7(int width, int height) {
  ImagHeader header;
  header.model = 8;
  header.width = header.lineSize = static_cast<std::uint16_t>(width);
  header.height = static_cast<std::uint16_t>(height);
  return ImagBuilder::form().plte({{1, 2, 3}}).ihdr(header).idat({0x80, 0}).bytes();
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
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

class ScanCommand : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(ScanCommand, WritesEachFindNamedByItsOffsetAndListsIt) {
  const Bytes item = clut8(4, 3);
  const Bytes cat =
      ImagBuilder::cat().raw(Bytes(item.begin() + 12, item.end())).raw(clut8(6, 5)).bytes();
  const std::string dump = dir.write("rom.bin", join({Bytes(0x800, 0), clut8(8, 2), cat}));
  fs::create_directory(dir.path("out"));
  const std::string out = dir.path("out").string();

  const ToolRun once = run(dir, {"--scan", "-o", out, dump});
  EXPECT_EQ(once.exit, 0);
  const std::string catAt = "0x" + [&] {
    std::ostringstream hex;
    hex << std::hex << 0x800 + clut8(8, 2).size();
    return hex.str();
  }();
  ASSERT_EQ(once.lines.size(), 2u);
  EXPECT_EQ(once.lines[0], "0x800 CLUT8 8x2 " + out + "/rom.bin@0x800.png");
  EXPECT_EQ(once.lines[1], catAt + " CLUT8 4x3 " + out + "/rom.bin@" + catAt + ".png");
  EXPECT_EQ(pngSize(dir.path("out/rom.bin@0x800.png")), std::make_pair(8, 2));

  const ToolRun all = run(dir, {"--scan", "--all", "-o", out, dump});
  EXPECT_EQ(all.exit, 0);
  EXPECT_EQ(all.lines.size(), 3u);
  EXPECT_EQ(pngSize(dir.path("out/rom.bin@" + catAt + "-2.png")), std::make_pair(6, 5));

  EXPECT_EQ(run(dir, {"--scan", "--classic", "-o", out, dump}).exit, 0);
  EXPECT_EQ(pngSize(dir.path("out/rom.bin@0x800.png")), std::make_pair(384, 280));
}

TEST_F(ScanCommand, DiscImageOffsetsAreThoseOfTheImageFile) {
  const Bytes data = join({Bytes(3000, 0), clut8(100, 30)});
  const std::string image = dir.write("disc.bin", discImage(data, SectorFormat::mode2Form1));
  const ToolRun scan = run(dir, {"--scan", image});
  EXPECT_EQ(scan.exit, 0);
  const std::string at = "0x" + [&] {
    std::ostringstream hex;
    hex << std::hex << imageOffsetOf(SectorFormat::mode2Form1, 3000);
    return hex.str();
  }();
  EXPECT_TRUE(fs::exists(dir.path("disc.bin@" + at + ".png")));
}

TEST_F(ScanCommand, ExitsWithOneWhenNothingIsFoundOrTheCommandIsWrong) {
  const std::string empty = dir.write("nothing.bin", Bytes(5000, 'x'));
  EXPECT_EQ(run(dir, {"--scan", empty}).exit, 1);
  EXPECT_EQ(run(dir, {"--scan", dir.path("missing").string()}).exit, 1);
  EXPECT_EQ(run(dir, {"--info", "--scan", empty}).exit, 1);
  EXPECT_EQ(run(dir, {"--scan", "--crop", empty}).exit, 2);
  EXPECT_EQ(run(dir, {"--json", empty}).exit, 2);
}

// A name with quotes, a backslash, a newline and a byte that is not UTF-8 still gives one valid
// JSON object a line, with the keys documented.
TEST_F(ScanCommand, InfoJsonDescribesEachPictureOnOneLine) {
  const std::string name = "we\"ird\\ na\nme\xff.bin";
  const std::string path =
      dir.write(name, join({Bytes(100, 0), clut8(10, 4, 4), Bytes(50, 0), rl7(16, 8)}));
  const ToolRun info = run(dir, {"--info", "--json", "--scan", path});
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

TEST_F(ScanCommand, InfoWithoutScanReadsAPictureFile) {
  Bytes cut = clut8(20, 10);
  cut.resize(cut.size() - 30);
  const ToolRun info = run(dir, {"--info", dir.write("cut.imag", cut)});
  EXPECT_EQ(info.exit, 0);
  ASSERT_EQ(info.lines.size(), 1u);
  EXPECT_NE(info.lines[0].find("model 4 CLUT8, 20 x 10, line size 20"), std::string::npos);
  EXPECT_NE(info.lines[0].find("IDAT 170 of 200 bytes, incomplete"), std::string::npos);
  EXPECT_EQ(run(dir, {"--info", dir.write("not.imag", Bytes(40, 'F'))}).exit, 1);
}

}  // namespace
