// decodeDYUV and decodeFile given paths that are not plain pictures: every one must fail with
// its own reason, at once, and leave the picture on screen as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "decode.h"
#include "finder.h"
#include "nonpictures.h"
#include "support/asnobody.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

// A 2 x 2 CLUT8 picture of `colour` (its header gives no width).
Bytes picture(Rgb colour) {
  return ImagBuilder::form().plte({colour}).ihdr(ImagHeader::of(4, 0, 2, 2)).idat(Bytes(4)).bytes();
}
Bytes redPicture() {
  return picture({0xFF, 0, 0});
}

class FileSystemCorners : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(decodeDYUV(dir.write("red.img", redPicture()).c_str()), 0);
    shown.assign(dyuvasbmpmem, dyuvasbmpmem + kFrameBytes);
  }
  void TearDown() override { releaseFrameBuffer(); }

  bool frameUntouched() const { return std::memcmp(dyuvasbmpmem, shown.data(), kFrameBytes) == 0; }

  TempDir dir;
  std::vector<std::uint8_t> shown;  // the frame after the red picture
};

TEST_F(FileSystemCorners, RefusedPathsKeepThePicture) {
  fs::create_directory(dir.path("folder"));
  fs::create_symlink(dir.path("nowhere"), dir.path("dangling"));
  fs::create_symlink(dir.path("loop"), dir.path("loop"));
  const std::string notAFolder = dir.write("plain.img", redPicture()) + "/inside.img";
  const std::pair<std::string, DecodeStatus> cases[] = {
      {dir.path("folder").string(), DecodeStatus::notRegularFile},
      {makeFifo(dir.path("fifo")), DecodeStatus::notRegularFile},  // must not wait for a writer
      {"/dev/zero", DecodeStatus::notRegularFile},
      {makeSocket(dir.path("socket")), DecodeStatus::notRegularFile},
      {makeSparse(dir.path("huge.img"), kMaxFileBytes + 1), DecodeStatus::tooLarge},
      {dir.write("empty.img", {}), DecodeStatus::empty},
      {dir.path("missing.img").string(), DecodeStatus::cannotOpen},
      {dir.path("dangling").string(), DecodeStatus::cannotOpen},
      {dir.path("loop").string(), DecodeStatus::cannotOpen},
      {notAFolder, DecodeStatus::cannotOpen},
      {"", DecodeStatus::cannotOpen},
      {std::string(PATH_MAX + 10, 'x'), DecodeStatus::cannotOpen},
  };
  for (const auto& [path, status] : cases) {
    const std::string name = path.substr(0, 80);
    EXPECT_EQ(decodeFile(path.c_str()), status) << name;
    EXPECT_EQ(decodeDYUV(path.c_str()), -1) << name;
    EXPECT_TRUE(frameUntouched()) << name;
  }
  const auto none = [](const FoundPicture&, ByteView) { return true; };
  EXPECT_EQ(scanFile(dir.path("socket").c_str(), none), DecodeStatus::notRegularFile);
}

TEST_F(FileSystemCorners, AFileAtTheSizeLimitIsRead) {
  // Read whole (all zeros), so it gets as far as the container test, which clears the frame.
  EXPECT_EQ(decodeFile(makeSparse(dir.path("limit.img"), kMaxFileBytes).c_str()),
            DecodeStatus::notCdiImage);
  EXPECT_FALSE(frameUntouched());
}

TEST_F(FileSystemCorners, AFileShorterThanItsSizeIsAShortRead) {
  const std::string path = shrinkingKernelFile();
  if (path.empty()) GTEST_SKIP() << "no kernel file here whose size overstates its content";
  EXPECT_EQ(decodeFile(path.c_str()), DecodeStatus::shortRead) << path;
  EXPECT_TRUE(frameUntouched());
}

TEST_F(FileSystemCorners, AFileWithoutReadPermissionCannotBeOpened) {
  fs::permissions(dir.root(), fs::perms(0755));
  const std::string readable = dir.write("readable.img", picture({0, 0, 0xFF}));
  const std::string locked = dir.write("locked.img", redPicture());
  fs::permissions(readable, fs::perms(0644));
  fs::permissions(locked, fs::perms::none);
  // In a child (as nobody, when the tests run as root): the readable twin, a blue picture,
  // shows the child can reach the folder, so the locked file fails for its permission alone.
  const auto decodeAsUser = [this](const std::string& path) {
    return runAsOrdinaryUser([&] {
      const DecodeStatus status = decodeFile(path.c_str());
      const bool kept = frameUntouched();
      return static_cast<int>(status) * 2 + (kept ? 1 : 0);
    });
  };
  EXPECT_EQ(decodeAsUser(readable), static_cast<int>(DecodeStatus::ok) * 2 + 0);
  EXPECT_EQ(decodeAsUser(locked), static_cast<int>(DecodeStatus::cannotOpen) * 2 + 1);
}

}  // namespace
