#include "finder.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "accurate.h"
#include "support/discimage.h"
#include "support/framecheck.h"
#include "support/realtimesectors.h"
#include "support/scanfinds.h"
#include "support/tempdir.h"

namespace {

Bytes noise(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(n);
  for (auto& b : bytes)
    b = static_cast<std::uint8_t>(random() % 251);  // "IMAG" in a row: never, in practice
  return bytes;
}

class Finder : public ::testing::Test {
 protected:
  TempDir dir;

  std::vector<Find> scan(const Bytes& file, SectorLayout* layout = nullptr) {
    return scanFinds(dir.write("dump.bin", file), layout);
  }
};

struct Placement {
  const char* name;
  std::optional<SectorFormat> sectors;  // none: a plain dump
  SectorLayout layout;
};

class FinderPlacement : public Finder, public ::testing::WithParamInterface<Placement> {};

// Two pictures, each larger than a sector, behind and between other data: each is found whole,
// at the offset of its header in the file, and read again the same for the viewer's list.
TEST_P(FinderPlacement, FindsEveryPictureWholeAtItsFileOffset) {
  const Bytes first = colourfulPicture(64, 50), second = colourfulPicture(40, 90);
  const Bytes data = join({noise(2048, 1), first, noise(5000, 2), second, noise(700, 3)});
  const std::int64_t at[] = {2048, 2048 + std::int64_t(first.size()) + 5000};
  const auto& sectors = GetParam().sectors;
  SectorLayout layout{};
  const auto finds = scan(sectors ? discImage(data, *sectors) : data, &layout);
  EXPECT_EQ(layout, GetParam().layout);
  ASSERT_EQ(finds.size(), 2u);
  const Bytes* expected[] = {&first, &second};
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(finds[i].found.offset, sectors ? imageOffsetOf(*sectors, at[i]) : at[i]);
    EXPECT_EQ(finds[i].bytes, *expected[i]);
    EXPECT_EQ(finds[i].found.model, 4);
  }
  EXPECT_EQ(finds[1].found.width, 40);
  int visits = 0;  // a visitor that asks to stop is not called again
  const FoundVisitor stop = [&](const FoundPicture&, ByteView) { return ++visits == 0; };
  EXPECT_EQ(scanFile(dir.path("dump.bin").c_str(), stop), DecodeStatus::ok);
  EXPECT_EQ(visits, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FinderPlacement,
    ::testing::Values(
        Placement{"plain", std::nullopt, SectorLayout::plain},
        Placement{"mode1", SectorFormat::mode1, SectorLayout::raw2352},
        Placement{"mode2form1", SectorFormat::mode2Form1, SectorLayout::raw2352},
        Placement{"mode2form2", SectorFormat::mode2Form2, SectorLayout::raw2352},
        Placement{"headerless1", SectorFormat::headerlessForm1, SectorLayout::raw2336},
        Placement{"headerless2", SectorFormat::headerlessForm2, SectorLayout::raw2336}),
    [](const auto& info) { return std::string(info.param.name); });

// A large disc image: a header across the boundary of the scanner's 1 MiB windows, a picture
// larger than a window, holding in its data, a window later, the bytes of a picture (part of its
// data, no find), and one past it.
// The large one's length covers only its header, and a chunk follows its data: read past the
// window, it is followed chunk by chunk to its end.
TEST_F(Finder, PicturesAcrossScanWindowsAreFoundWhole) {
  const Bytes straddling = colourfulPicture(100, 100), last = colourfulPicture(10, 10);
  Bytes large = join({colourfulPicture(1200, 1000), {'P', 'A', 'D', ' ', 0, 0, 0, 2, 7, 7}});
  setContainerLength(large, 0, 4);
  std::copy(last.begin(), last.end(), large.end() - 1000);
  const std::int64_t first = (std::int64_t{1} << 20) - 6;
  const Bytes data = join({noise(std::size_t(first), 9), straddling, large, noise(100, 10), last});
  const auto finds = scan(discImage(data, SectorFormat::mode2Form2));
  ASSERT_EQ(finds.size(), 3u);
  EXPECT_EQ(finds[0].found.offset, imageOffsetOf(SectorFormat::mode2Form2, first));
  EXPECT_EQ(finds[0].bytes, straddling);
  EXPECT_EQ(finds[1].bytes, large);
  EXPECT_EQ(finds[2].bytes, last);
  // A header in a window's last 24 bytes: its first chunk is read from past the window.
  const auto near = scan(join({noise((std::size_t{1} << 20) - 20, 11), last}));
  ASSERT_EQ(near.size(), 1u);
  EXPECT_EQ(near[0].bytes, last);
}

// A sector image is told by the two copies of its subheaders in the first 16 sectors; bad
// reads of one sector in eight do not hide it.
TEST_F(Finder, SubheaderCopiesTellASectorImage) {
  const Subheader good{1, 0, 0x08, 0}, other{1, 0, 0x08, 1};  // the last byte read wrong
  const std::tuple<int, int, SectorLayout> cases[] = {{16, 2, SectorLayout::raw2336},
                                                      {16, 3, SectorLayout::plain},
                                                      {8, 1, SectorLayout::raw2336},
                                                      {7, 1, SectorLayout::plain}};
  for (const auto& [sectors, bad, expected] : cases) {
    SectorImage image;
    for (int n = 0; n < sectors; ++n)  // the last holds a picture
      image.sector(good, n + 1 < sectors ? Bytes{} : colourfulPicture(8, 8),
                   n < bad ? &other : nullptr);
    SectorLayout layout{};
    scan(image.bytes(), &layout);
    EXPECT_EQ(layout, expected) << bad << " of " << sectors << " sectors bad";
  }
  // Subheader copies, but the picture stands outside their user data: a plain file after all.
  Bytes lookalike = SectorImage().sector(good, {}).sector(good, {}).bytes();
  const Bytes hidden = ImagBuilder::form().ihdr(ImagHeader::of(4, 2, 1)).idat({0, 1}).bytes();
  std::copy(hidden.begin(), hidden.end(), lookalike.begin() + 2336 + 8 + 2048);
  SectorLayout plain{};
  const std::vector<Find> finds = scan(lookalike, &plain);
  EXPECT_EQ(plain, SectorLayout::plain);
  ASSERT_EQ(finds.size(), 1u);
  EXPECT_EQ(finds[0].found.offset, 2336 + 8 + 2048);
  // A sector without sync (audio) inside a raw image holds no user data.
  Bytes audio = discImage(join({noise(2048, 4), colourfulPicture(8, 8)}), SectorFormat::mode1);
  std::fill_n(audio.begin() + 2352, 12, 0);
  EXPECT_TRUE(scan(audio).empty());
  SectorLayout one{};  // a raw image of a single sector
  scan(discImage(colourfulPicture(8, 8), SectorFormat::mode2Form1), &one);
  EXPECT_EQ(one, SectorLayout::raw2352);
}

// `bytes` read in place: reads stop short at `end`, and fail when they reach past `failAt`.
ScanSource sourceOf(const Bytes& bytes, std::int64_t end, std::int64_t failAt = INT64_MAX) {
  return {std::ssize(bytes),
          [&bytes, end, failAt](std::int64_t at, std::uint8_t* into, std::int64_t n) {
            if (at + n > failAt) return std::int64_t{-1};
            n = std::clamp<std::int64_t>(std::min(end, std::ssize(bytes)) - at, 0, n);
            return std::copy_n(bytes.begin() + at, n, into), n;
          }};
}

// A sector image that reads short of its size (it shrank while scanned), or a file that cannot
// be read, is an error, never a scan of sectors that were not read.
TEST(FinderRead, ASectorImageReadShortIsAnError) {
  const Bytes image =
      discImage(join({Bytes(3000, 0), colourfulPicture(50, 50)}), SectorFormat::mode2Form2);
  const ScanSource half = sourceOf(image, std::ssize(image) / 2);
  std::vector<Find> finds;
  EXPECT_EQ(scanSource(half, SectorLayout::raw2352, keepFinds(finds)), DecodeStatus::shortRead);
  const Bytes unreadable(4096);
  EXPECT_EQ(scanSource(sourceOf(unreadable, INT64_MAX, 0), SectorLayout::plain, keepFinds(finds)),
            DecodeStatus::shortRead);
  // A picture that runs on past the first MiB read, into bytes that cannot be read.
  Bytes dump(2 << 20, 0);
  const Bytes picture = colourfulPicture(50, 50);
  std::copy(picture.begin(), picture.end(), dump.begin() + (1 << 20) - 100);
  EXPECT_EQ(scanSource(sourceOf(dump, INT64_MAX, 1 << 20), SectorLayout::plain, keepFinds(finds)),
            DecodeStatus::shortRead);
  EXPECT_TRUE(finds.empty());
}

// Each read resumes where the last stopped, even one byte into a sector.
TEST(FinderRead, ReadsResumeInsideASector) {
  const Bytes data = noise(5000, 3), image = discImage(data, SectorFormat::mode2Form1);
  const ScanSource source = sourceOf(image, INT64_MAX);  // the reader keeps a reference
  UserDataReader reader(source, SectorLayout::raw2352);
  StreamPos pos;
  Bytes read;
  for (const std::int64_t want : {2049, 1, 2950})
    ASSERT_TRUE(reader.read(pos, want, read, nullptr));
  EXPECT_EQ(read, data);
}

// Dumps hold containers whose length covers only the header: the chunks tell how far the
// picture reaches, and a FORM right after it is the next picture.
TEST_F(Finder, ShortContainerLengthDoesNotCutThePicture) {
  Bytes first = colourfulPicture(30, 20);
  setContainerLength(first, 0, 4);
  const Bytes second = colourfulPicture(20, 10);
  const auto finds = scan(join({first, second}));
  ASSERT_EQ(finds.size(), 2u);
  EXPECT_EQ(finds[0].bytes, first);
  EXPECT_EQ(finds[1].found.offset, std::int64_t(first.size()));
  AccuratePicture decoded;
  ASSERT_EQ(decodeAccurate(finds[0].bytes, {}, decoded), DecodeStatus::ok);
  EXPECT_TRUE(decoded.complete);
}

TEST_F(Finder, ContainersInsideAFindBelongToIt) {
  const Bytes item1 = colourfulPicture(8, 8), item2 = colourfulPicture(9, 9),
              alone = colourfulPicture(10, 10);
  Bytes cat = ImagBuilder::cat().raw(Bytes(item1.begin() + 12, item1.end())).raw(item2).bytes();
  setContainerLength(cat, 0, 4);
  const auto finds = scan(join({noise(100, 4), cat, noise(300, 5), alone}));
  ASSERT_EQ(finds.size(), 2u);
  EXPECT_EQ(finds[0].found.offset, 100);
  EXPECT_EQ(finds[0].found.container, ContainerKind::cat);
  EXPECT_EQ(finds[0].found.pictures, 2);
  EXPECT_EQ(finds[1].found.offset, 100 + std::int64_t(cat.size()) + 300);

  // A CAT whose length ends right before a FORM: the FORM is the next file, not a third item.
  setContainerLength(cat, 0, std::uint32_t(cat.size() - 8));
  const auto adjacent = scan(join({cat, alone}));
  ASSERT_EQ(adjacent.size(), 2u);
  EXPECT_EQ(adjacent[0].found.pictures, 2);
  EXPECT_EQ(adjacent[1].found.offset, std::int64_t(cat.size()));
}

// What follows a picture ends it when it cannot be a chunk of it: text read as a chunk would
// claim a length beyond the data, a header the decoder refuses is passed over, and so is one
// followed by more chunks than a picture is looked through for.
TEST_F(Finder, DataAfterAPictureDoesNotSwallowTheNext) {
  const std::string text = "Copyright notice of a system ROM, followed by code.";
  const Bytes first = colourfulPicture(16, 16);  // the second has an odd chunk and its pad byte
  const Bytes second = ImagBuilder::form()
                           .chunk("ODD ", {1, 2, 3, 4, 5})
                           .raw({0})
                           .ihdr(ImagHeader::of(4, 2, 1))
                           .idat({0, 1})
                           .bytes();
  const Bytes noHeader = ImagBuilder::form().idat(Bytes(50, 1)).bytes();
  ImagBuilder manyChunks = ImagBuilder::form();
  for (int n = 0; n < 1100; ++n)
    manyChunks.chunk("PAD ", {});
  const auto finds =
      scan(join({first, Bytes(text.begin(), text.end()), noHeader, manyChunks.bytes(), second}));
  ASSERT_EQ(finds.size(), 2u);
  EXPECT_EQ(finds[0].bytes, first);
  EXPECT_EQ(finds[1].bytes, second);
}

TEST_F(Finder, PictureDataCutByTheEndOfTheFileIsFoundIncomplete) {
  const Bytes whole = colourfulPicture(50, 50);
  const Bytes cut(whole.begin(), whole.end() - 1000);
  const auto finds = scan(join({noise(3000, 8), cut}));
  ASSERT_EQ(finds.size(), 1u);
  EXPECT_EQ(finds[0].bytes, cut);
  AccuratePicture decoded;
  ASSERT_EQ(decodeAccurate(finds[0].bytes, {}, decoded), DecodeStatus::ok);
  EXPECT_FALSE(decoded.complete);
}

// A ROM dump read from 16-bit chips byte by byte has the two bytes of every word swapped. It
// may hold pictures of both orders; a swapped one is found at its offset as stored, swapped back.
TEST_F(Finder, PicturesInSwappedWordsAreFoundSwappedBack) {
  const Bytes straight = colourfulPicture(20, 20), swapped = colourfulPicture(31, 7);
  // A whole number of words.
  const Bytes stored = swapWords(join({noise(1001, 11), swapped, noise(600, 12), {0}}));
  const auto finds = scan(join({stored, straight}));
  ASSERT_EQ(finds.size(), 2u);
  EXPECT_FALSE(finds[0].found.swapped);
  EXPECT_EQ(finds[0].bytes, straight);
  EXPECT_TRUE(finds[1].found.swapped);
  EXPECT_EQ(finds[1].found.offset, 1001);  // an odd offset: the header starts mid-word
  EXPECT_EQ(finds[1].bytes, swapped);
  // A dump of an odd size: its last byte has no partner and stays where it is.
  const Bytes last = colourfulPicture(30, 7);
  const auto ending = scan(swapWords(join({noise(1001, 13), last})));
  ASSERT_EQ(ending.size(), 1u);
  EXPECT_EQ(ending[0].bytes, last);
}

// A hostile file: tens of thousands of headers the decoder refuses, each with picture data
// claiming to run on for a megabyte or more. Each header must not read the rest of the file again.
TEST(FinderCost, HeadersClaimingHugeDataDoNotRereadTheFile) {
  const auto fake = [](std::uint32_t claimed) {  // no width: refused
    ImagBuilder builder = ImagBuilder::form().ihdr(ImagHeader::of(4, 0, 4));
    return builder.chunkWithLength("IDAT", claimed, {}).bytes();
  };
  const Bytes real = colourfulPicture(200, 200);  // across the scanner's third window
  const std::size_t realAt = (std::size_t{3} << 20) - 20000, size = std::size_t{4} << 20;
  Bytes file;
  const auto fill = [&](std::size_t until, const Bytes& header) {
    while (file.size() + header.size() <= until)
      file.insert(file.end(), header.begin(), header.end());
    file.resize(until);
  };
  fill(realAt, fake(0x180000));  // the bytes read ahead are dropped as headers pass them
  file.insert(file.end(), real.begin(), real.end());
  fill(size, fake(0x7FFFFFF0));

  std::int64_t bytesRead = 0;
  const ScanSource source{static_cast<std::int64_t>(file.size()),
                          [&](std::int64_t at, std::uint8_t* into, std::int64_t n) {
                            n = std::min(n, static_cast<std::int64_t>(file.size()) - at);
                            std::copy_n(file.begin() + at, n, into);
                            bytesRead += n;
                            return n;
                          }};
  std::vector<Find> finds;
  EXPECT_EQ(scanSource(source, SectorLayout::plain, keepFinds(finds)), DecodeStatus::ok);
  ASSERT_EQ(finds.size(), 1u);
  EXPECT_EQ(finds[0].found.offset, std::int64_t(realAt));
  EXPECT_EQ(finds[0].bytes, real);
  EXPECT_LE(bytesRead, 2 * std::int64_t(size));  // once by the windows, once ahead at most
}

}  // namespace
