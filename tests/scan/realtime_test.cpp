// Pictures in the video sectors of real-time files, and discs read through cue sheets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "accurate.h"
#include "cuesheet.h"
#include "finder.h"
#include "profile.h"
#include "support/discimage.h"
#include "support/realtimesectors.h"
#include "support/scanfinds.h"
#include "support/tempdir.h"
#include "userdata.h"

namespace {

Bytes pattern(std::size_t n, unsigned seed) {
  Bytes bytes(n);
  for (std::size_t i = 0; i < n; ++i)
    bytes[i] = static_cast<std::uint8_t>((i * 131 + seed * 7 + i / 383) % 256);
  return bytes;
}

struct Scanned {
  std::vector<Find> finds;
  std::vector<std::string> reports;
};

Scanned scanPath(const std::string& path) {
  Scanned out;
  ScanOptions options;
  options.report = [&](const std::string& where, const std::string& what, bool failed) {
    out.reports.push_back(where + (failed ? " failed: " : ": ") + what);
  };
  out.finds = scanFinds(path, nullptr, options);
  // Real-time pictures are found among the others as their records end: put in file order.
  std::stable_sort(out.finds.begin(), out.finds.end(), [](const Find& a, const Find& b) {
    return std::tie(a.found.image, a.found.offset) < std::tie(b.found.image, b.found.offset);
  });
  return out;
}

// What the accurate profile shows for a picture with this header and data, greys in its palette.
AccuratePicture reference(const ImagHeader& header, const Bytes& data, int greys) {
  ImagBuilder file = ImagBuilder::form().ihdr(header);
  if (greys > 0) {
    std::vector<Rgb> ramp;
    for (int n = 0; n < greys; ++n) {
      const auto level = static_cast<std::uint8_t>(n * 255 / (greys - 1));
      ramp.push_back({level, level, level});
    }
    file.plte(ramp);
  }
  AccuratePicture picture;
  EXPECT_EQ(decodeAccurate(file.idat(data).bytes(), {}, picture), DecodeStatus::ok);
  return picture;
}

struct CodingCase {
  const char* name;
  std::uint8_t coding;
  bool raw, form2;
  Bytes data;  // of the record
  int model, width, height, lineSize, greys;
};

Bytes repeated(const Bytes& line, int lines) {
  Bytes data;
  for (int n = 0; n < lines; ++n)
    data.insert(data.end(), line.begin(), line.end());
  return data;
}

class RealTimeCoding : public ::testing::TestWithParam<CodingCase> {};

// Each coding gives its model and size; the height is the tallest standard one the data holds
// (so the padding of the last sector is not shown), and the picture is the data's.
TEST_P(RealTimeCoding, RecordDecodesAsItsCodingSays) {
  const CodingCase& c = GetParam();
  TempDir dir;
  SectorImage image(c.raw);
  for (int n = 0; n < 300; ++n)  // audio records before it, more than one read holds
    image.sector({1, 3, static_cast<std::uint8_t>(n % 10 == 9 ? 0x65 : 0x64), 0}, pattern(100, 9));
  image.record(c.data, c.coding, 31, c.form2);  // the last channel there is
  const Scanned scanned = scanPath(dir.write("movie.rtf", image.bytes()));
  ASSERT_EQ(scanned.finds.size(), 1u);
  const FoundPicture& found = scanned.finds[0].found;
  EXPECT_TRUE(found.realTime);
  EXPECT_EQ(found.offset, image.dataOffset(300));
  EXPECT_EQ(found.rt.channel, 31);
  EXPECT_EQ(found.rt.firstSector, 300);
  EXPECT_EQ(found.rt.endSector, image.sectors());
  const Bytes& form = scanned.finds[0].bytes;
  EXPECT_EQ(std::uint32_t{form[4]} << 24 | form[5] << 16 | form[6] << 8 | form[7], form.size() - 8);
  EXPECT_EQ(found.rt.coding, c.coding);
  EXPECT_EQ(found.model, c.model);
  EXPECT_EQ(found.width, c.width);
  EXPECT_EQ(found.height, c.height);
  EXPECT_EQ(found.note.empty(), c.greys == 0);

  AccuratePicture shown;
  ASSERT_EQ(decodeAccurate(scanned.finds[0].bytes, {}, shown), DecodeStatus::ok);
  const auto expected =
      reference(ImagHeader::of(c.model, c.width, c.height, c.lineSize), c.data, c.greys);
  EXPECT_EQ(shown.rgb, expected.rgb);
  EXPECT_TRUE(shown.complete);
  if (c.model == 9) {  // RL3 from a disc is pairs, and the viewer has to see that by itself
    EXPECT_EQ(chooseProfile(scanned.finds[0].bytes, ProfileMode::automatic).profile,
              Profile::accurate);
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Codings, RealTimeCoding,
    ::testing::Values(
        CodingCase{"dyuv625", 0x05, false, true, pattern(384 * 280, 1), 3, 384, 280, 384, 0},
        CodingCase{"dyuv525", 0x05, true, true, pattern(384 * 240 + 3000, 2), 3, 384, 240, 384, 0},
        CodingCase{"dyuvTooLong", 0x05, false, false, pattern(384 * 300, 3), 3, 384, 280, 384, 0},
        CodingCase{"clut8Short", 0x02, true, false, pattern(384 * 100, 4), 4, 384, 101, 384, 256},
        CodingCase{"clut7Double", 0x11, false, true, pattern(768 * 240, 5), 5, 768, 240, 768, 128},
        CodingCase{"clut4Normal", 0x00, false, true, pattern(192 * 280, 6), 6, 384, 280, 192, 16},
        CodingCase{"clut8High", 0x32, false, true, pattern(768 * 560, 7), 4, 768, 560, 768, 256},
        CodingCase{"oddLines", 0x45, false, true, pattern(384 * 280, 8), 3, 384, 280, 384, 0},
        // Lines of one colour to their end; a last line the codes end inside is a line (the
        // sector's padding fills it).
        CodingCase{"rl7", 0x04, false, true, repeated({0x05, 0x85, 0}, 12), 8, 384, 12, 384, 128},
        // Every pixel a run of one: the most bytes a line can take.
        CodingCase{"rl7Ones", 0x04, false, true, repeated({0x85, 1}, 384 * 280), 8, 384, 280, 384, 128},
        CodingCase{"rl7Cut", 0x04, false, true, join({repeated({0x85, 0}, 12), {0x05}}), 8, 384, 13, 384, 128},
        // RL3 counts pairs: two runs of 192 pairs fill a 768-pixel line. Codes past the
        // tallest picture are the next one's (here lines of one colour: a picture of few bytes).
        CodingCase{"rl3Double", 0x13, true, false, repeated({0xA3, 192, 0xA5, 192}, 7), 9, 768, 7, 768, 8},
        CodingCase{"rl3TooLong", 0x03, false, true, repeated({0xA3, 0}, 300), 9, 384, 280, 384, 8}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// RGB555 comes as a record of lower bytes and one of upper bytes, in either order; joined, they
// are one picture.
TEST(RealTime, Rgb555HalvesAreJoined) {
  TempDir dir;
  const Bytes lower = pattern(384 * 280, 11), upper = pattern(384 * 280, 12);
  SectorImage image;
  image.record(upper, 0x07, 0).record(lower, 0x06, 1);
  const Scanned scanned = scanPath(dir.write("rgb.rtf", image.bytes()));
  ASSERT_EQ(scanned.finds.size(), 1u);
  EXPECT_EQ(scanned.finds[0].found.offset, image.dataOffset(0));
  AccuratePicture shown;
  ASSERT_EQ(decodeAccurate(scanned.finds[0].bytes, {}, shown), DecodeStatus::ok);
  EXPECT_EQ(shown.rgb,
            reference(ImagHeader::of(2, 384, 280, 384, 16), join({upper, lower}), 0).rgb);
  // The lower half begun first in another channel, the upper half ended first: one picture all
  // the same, read again from the lower half's first sector.
  SectorImage interleaved;
  interleaved.sector({1, 1, kVideoSector | kForm2Sector, 0x06}, lower)
      .record(upper, 0x07, 0)
      .record(Bytes(lower.begin() + 2324, lower.end()), 0x06, 1);
  const Scanned joined = scanPath(dir.write("interleaved.rtf", interleaved.bytes()));
  ASSERT_EQ(joined.finds.size(), 1u);
  EXPECT_EQ(joined.finds[0].bytes, scanned.finds[0].bytes);
  // Two lower halves, one record after the other in one channel: each is shown alone, its upper
  // half zero.
  SectorImage lone;
  lone.record(lower, 0x06, 0).record(lower, 0x06, 0);
  const Scanned alone = scanPath(dir.write("lone.rtf", lone.bytes()));
  ASSERT_EQ(alone.finds.size(), 2u);
  for (const auto& find : alone.finds) {
    EXPECT_EQ(find.found.note, "the RGB555 lower half has no other half: the missing one is zero");
    ASSERT_EQ(decodeAccurate(find.bytes, {}, shown), DecodeStatus::ok);
    EXPECT_EQ(shown.rgb, reference(ImagHeader::of(2, 384, 280, 384, 16),
                                   join({Bytes(lower.size(), 0), lower}), 0)
                             .rgb);
  }
}

// Files as real discs and bad copies have them: records of two channels interleaved, subheader
// copies that disagree, a coding byte with an unknown bit, a record of nothing but padding, and
// a record that never ends.
TEST(RealTime, HostileSectorsAreSkippedOrBounded) {
  TempDir dir;
  const Subheader video{1, 0, kVideoSector, 0x02}, end{1, 0, kVideoSector | kEndOfRecord, 0x02};
  const Subheader other{1, 1, kVideoSector, 0x05},
      otherEnd{1, 1, kVideoSector | kEndOfRecord, 0x05};
  const Subheader wrongChannel{1, 7, kVideoSector, 0x02}, wrongFile{9, 0, kVideoSector, 0x22};
  SectorImage image;
  image.sector(video, pattern(2048, 1));
  image.sector(wrongChannel, pattern(2048, 2), &wrongFile);  // neither copy fits: skipped
  image.sector(other, pattern(2048, 3));
  image.sector({1, 0, kVideoSector, 0x05}, pattern(2048, 4), &video);  // the second fits better
  image.sector(end, pattern(2048, 5)).sector(otherEnd, pattern(2048, 6));
  image.sector({1, 6, kVideoSector | kEndOfRecord, 0x04}, {});  // RL7 of padding alone: no line
  for (int n = 0; n < 400; ++n)
    image.sector({1, 5, kVideoSector, 0x05}, pattern(2048, 8));
  // Bit 7 is unknown; of the copies, only the first shares a channel with the sector before.
  image.sector({1, 5, kVideoSector | kEndOfRecord, 0x85}, pattern(2048, 7), &wrongFile);
  const Scanned scanned = scanPath(dir.write("hostile.rtf", image.bytes()));

  ASSERT_EQ(scanned.finds.size(), 3u);
  EXPECT_EQ(scanned.finds[0].found.rt.channel, 0);
  EXPECT_EQ(scanned.finds[0].found.height, 3 * 2048 / 384);  // three of its four sectors
  EXPECT_EQ(scanned.finds[1].found.rt.channel, 1);
  EXPECT_EQ(scanned.finds[1].found.height, 2 * 2048 / 384);
  EXPECT_EQ(scanned.finds[2].found.height, 280);  // cut at the tallest picture
  ASSERT_EQ(scanned.reports.size(), 1u);
  // Sector 407, its data 8 bytes in.
  EXPECT_NE(scanned.reports[0].find("sector at 0xe81e8 skipped: coding 0x85 is not known"),
            std::string::npos)
      << scanned.reports[0];
  EXPECT_EQ(scanned.reports[0].find(" failed: "), std::string::npos);  // a warning, no failure
  // Only the sector after the first tells which copy of the first one's subheader is right, the
  // first being the last of the reader's first batch of 256; the one before settles the last's.
  // Of a record of one sector, only the sectors around it can tell, when it is read again too.
  SectorImage first;
  for (int n = 0; n < 255; ++n)
    first.sector({2, 9, 0x08, 0}, {});
  first.sector(video, pattern(2048, 9), &wrongChannel);
  for (int n = 0; n < 14; ++n)
    first.sector(video, pattern(2048, n));
  const Subheader stray{0, 0, kVideoSector | kEndOfRecord, 0};
  first.sector(end, pattern(2048, 3), &stray);
  const Subheader lone{1, 3, kVideoSector | kEndOfRecord, 2}, misread{1, 4, lone.submode, 2};
  first.sector(lone, pattern(2048, 4), &misread).sector(lone, pattern(2048, 5));
  first.sector(lone, pattern(2048, 6), &misread);
  // A sector skipped, its copies fitting two channels alike, stays out of the record after it.
  const Subheader six{1, 6, kVideoSector, 2}, three{1, 3, kVideoSector, 2};
  first.sector(six, pattern(2048, 7)).sector(three, {}, &six).sector(lone, pattern(2048, 8));
  // The file's last sector has no sector after it, whatever the reader's buffer holds there.
  const Subheader five{1, 5, lone.submode, 2}, ghost{2, 9, lone.submode, 0};
  first.sector(five, pattern(2048, 9), &ghost);
  const std::string firstPath = dir.write("first.rtf", first.bytes());
  const std::vector<Find> finds = scanPath(firstPath).finds;
  ASSERT_EQ(finds.size(), 6u);
  const FoundPicture found = finds[0].found;
  EXPECT_EQ(found.height, 16 * 2048 / 384);
  dir.write("first.rtf", Bytes(first.bytes().size(), 0));  // it no longer holds the picture
  Bytes again;
  EXPECT_EQ(readFoundPicture(firstPath.c_str(), found, again), DecodeStatus::shortRead);
}

// Each track starts at its INDEX 01 (minutes, seconds, frames) in sectors of the tracks before it
// in the same file, and ends where the next one starts; a file's first track counts from 0.
TEST(CueSheet, TracksStartAtTheirIndexInTheirFilesSectors) {
  const std::vector<CueTrack> tracks = parseCueSheet(
      "FILE \"a.bin\" BINARY\n TRACK 01 MODE1/2048\n INDEX 01 00:00:05\n"
      " TRACK 02 CDI/2352\n INDEX 01 00:01:00\n INDEX 02 00:01:40\n"
      " TRACK 03 CDG\n INDEX 01 00:02:00\n"  // not read; taken as raw sectors
      " TRACK 04 AUDIO\n INDEX 00 00:02:50\n INDEX 01 01:02:03\n"
      "FILE b.bin BINARY\n TRACK 05 CDI/2336\n INDEX 01 00:00:00\n INDEX 02 00:00:10\n"
      " TRACK 06 CDI/2336\n INDEX 00 00:00:20\n");  // without INDEX 01: its INDEX 00
  ASSERT_EQ(tracks.size(), 6u);
  const std::int64_t second = 75 * 2048, third = second + 75 * 2352,
                     fourth = third + (62 * 75 + 3 - 150) * 2352;
  const std::int64_t starts[] = {5 * 2048, second, third, fourth, 0, 20 * 2336};
  const std::int64_t bytes[] = {
      second - 5 * 2048, third - second, fourth - third, -1, 20 * 2336, -1};
  const std::int64_t sectors[] = {2048, 2352, 0, 2352, 2336, 2336};
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    EXPECT_EQ(tracks[i].start, starts[i]) << i;
    EXPECT_EQ(tracks[i].bytes, bytes[i]) << i;
    EXPECT_EQ(tracks[i].sectorBytes, sectors[i]) << i;
  }
  EXPECT_EQ(tracks[4].file, "b.bin");
  // Sheets are known by their name; the BIN files they name stand beside them unless absolute.
  EXPECT_TRUE(isCueSheetPath("DISC.Cue"));
  EXPECT_FALSE(isCueSheetPath("cue"));
  EXPECT_EQ(cueFilePath("d/disc.cue", "a.bin"), "d/a.bin");
  for (const char* absolute : {"/a.bin", "\\a.bin", "C:\\a.bin"})
    EXPECT_EQ(cueFilePath("d/disc.cue", absolute), absolute);
}

// A cue sheet leads to the data tracks of its BIN files, read as their modes lay them out; an
// audio track is not read, and a missing BIN is reported while the others are still scanned.
TEST(CueSheet, FollowsDataTracksOfItsFiles) {
  TempDir dir;
  const Bytes picture =
      ImagBuilder::form().ihdr(ImagHeader::of(3, 16, 4)).idat(pattern(64, 3)).bytes();
  SectorImage video(true);
  video.record(pattern(384 * 240, 4), 0x05);
  const Bytes data = discImage(join({Bytes(3000, 0), picture}), SectorFormat::mode2Form1);
  const Bytes audio = join({Bytes(2352 * 2, 0), picture, Bytes(2352 - picture.size() % 2352, 0)});
  const Bytes track1 = join({data, video.bytes()});
  dir.write("disc.bin", join({track1, audio}));
  dir.write("extra.bin", join({Bytes(4096, 0), picture, Bytes(100, 0)}));
  const int audioAt = int(track1.size() / 2352);
  char sheet[512];
  std::snprintf(sheet, sizeof sheet,
                "FILE \"disc.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n"
                "  TRACK 02 AUDIO\n    INDEX 00 00:00:%02d\n    INDEX 01 00:00:%02d\n"
                "FILE \"gone.bin\" BINARY\n  TRACK 03 MODE1/2048\n    INDEX 01 00:00:00\n"
                "  TRACK 04 MODE1/2048\n    INDEX 01 00:02:00\n"  // named once, however often
                "FILE extra.bin BINARY\n  TRACK 05 MODE1/2048\n    INDEX 01 00:00:00\n"
                "  TRACK 06 MODE1/2048\n    INDEX 01 00:00:00\n",  // track 05 is empty
                audioAt, audioAt + 1);
  const std::string cue = dir.write("disc.cue", Bytes(sheet, sheet + std::strlen(sheet)));

  const Scanned scanned = scanPath(cue);
  ASSERT_EQ(scanned.finds.size(), 3u);
  const std::string disc = dir.path("disc.bin").string();
  EXPECT_EQ(scanned.finds[0].found.image, disc);
  EXPECT_EQ(scanned.finds[0].found.offset, imageOffsetOf(SectorFormat::mode2Form1, 3000));
  EXPECT_TRUE(scanned.finds[1].found.realTime);
  EXPECT_EQ(scanned.finds[1].found.offset, std::int64_t(data.size()) + 24);
  EXPECT_EQ(scanned.finds[2].found.image, dir.path("extra.bin").string());
  EXPECT_EQ(scanned.finds[2].found.offset, 4096);
  ASSERT_EQ(scanned.reports.size(), 1u);
  EXPECT_EQ(scanned.reports[0].find(dir.path("gone.bin").string() + " failed: "), 0u);
  const ScanSource bin{3000, {}};  // a track the sheet gives no length runs to the file's end
  EXPECT_EQ(partOf(bin, 1000, INT64_MAX).size, 2000);
  EXPECT_EQ(partOf(bin, 4000, 10).size, 0);
  std::uint8_t byte = 0;  // reads outside a source fail
  EXPECT_EQ(partOf(bin, 1000, 500).readAt(501, &byte, 1), -1);
  EXPECT_EQ(swappedWords(bin).readAt(-1, &byte, 1), -1);
}

}  // namespace
