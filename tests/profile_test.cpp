// The automatic profile: which header facts send a picture to the accurate profile.

#include <gtest/gtest.h>

#include <tuple>

#include "imagbuilder.h"
#include "modelnames.h"
#include "picturewarnings.h"
#include "profile.h"

namespace {

std::vector<Rgb> colours(int count) {
  return std::vector<Rgb>(static_cast<std::size_t>(count), Rgb{9, 9, 9});
}

// One picture: `header`, a palette of 16 colours loading from `first`, and 4 bytes of data.
Bytes picture(const ImagHeader& header, int first = 0) {
  return ImagBuilder::form().plte(colours(16), first).ihdr(header).idat({1, 2, 3, 4}).bytes();
}

// An RL3 picture of `w` x `h` (line size = w) with the codes `data`.
Bytes rl3(int w, int h, const Bytes& data) {
  return ImagBuilder::form().plte(colours(8)).ihdr(ImagHeader::of(9, w, h)).idat(data).bytes();
}

Bytes clut8(int w, int h, std::size_t n) {
  return ImagBuilder::form().plte(colours(2)).ihdr(ImagHeader::of(4, w, h)).idat(Bytes(n)).bytes();
}

TEST(AutomaticProfile, HeaderFactsChooseTheProfile) {
  ImagHeader yuvsHeader = ImagHeader::of(3, 96, 64);
  const Bytes withLineStarts =
      ImagBuilder::form().ihdr(yuvsHeader).chunk("YUVS", Bytes(3 * 64, 16)).idat({1}).bytes();
  const Bytes shortPalette =
      ImagBuilder::form().chunk("PLTE", {0, 16}).ihdr(ImagHeader::of(4, 96, 64)).idat({1}).bytes();
  ImagHeader widthLeftOut = ImagHeader::of(4, 2, 2);  // files that name only the line size
  widthLeftOut.width = 0;
  const char* const fits = "the header fits the classic frame";
  // clang-format off
  const std::tuple<const char*, Bytes, Profile, const char*> cases[] = {
      {"classic CLUT8", picture(ImagHeader::of(4, 256, 192)), Profile::classic, fits},
      {"CLUT4 a byte a pixel", picture(ImagHeader::of(6, 192, 140)), Profile::classic, fits},
      {"DYUV from IHDR", picture(ImagHeader::of(3, 384, 280)), Profile::classic, fits},
      {"DYUV beside a palette from 16", picture(ImagHeader::of(3, 96, 64), 16), Profile::classic, fits},
      {"width 0", picture(widthLeftOut), Profile::classic, "only the classic reading takes this header"},
      {"palette from 16", picture(ImagHeader::of(4, 96, 64), 16), Profile::accurate, "palette starts at entry 16"},
      {"PLTE too short to say", shortPalette, Profile::classic, fits},
      {"packed CLUT4", picture(ImagHeader::of(6, 191, 64, 96)), Profile::accurate, "lines hold two pixels a byte"},
      {"padded CLUT8 lines", picture(ImagHeader::of(4, 95, 64, 96)), Profile::accurate, "lines are 96 for a width of 95"},
      {"RL7 line size 0", picture(ImagHeader::of(8, 96, 64, 0)), Profile::accurate, "lines are 0 for a width of 96"},
      {"YUVS", withLineStarts, Profile::accurate, "lines start from their own YUVS values"},
      {"RGB888", picture(ImagHeader::of(1, 96, 64, 288)), Profile::accurate, "the classic frame does not show RGB888 pictures"},
      {"wider than the frame", picture(ImagHeader::of(4, 385, 10)), Profile::accurate,
       "the picture is 385 x 10, larger than the 384 x 280 frame"},
      {"taller than the frame", picture(ImagHeader::of(3, 384, 281)), Profile::accurate,
       "the picture is 384 x 281, larger than the 384 x 280 frame"},
      // RL3: which coding the codes read cleanly in; codes that read cleanly both ways stay classic.
      {"RL3 classic codes", rl3(6, 2, {0x35, 0xA2, 0x80, 0x70, 0xF3, 0xC0}), Profile::classic, fits},
      {"RL3 both ways", rl3(2, 1, {0x91, 0x00}), Profile::classic, fits},
      {"RL3 pairs", rl3(6, 2, {0x12, 0x93, 0, 0x14, 0x15, 0x16}), Profile::accurate, "the RL3 codes hold pairs of pixels"},
      {"RL3 pairs, odd width", rl3(5, 1, {0x12, 0x94, 0x02, 0, 0}), Profile::accurate, "the RL3 codes hold pairs of pixels"},
      {"RL3 pairs cut short", rl3(6, 2, {0x12, 0x93, 0, 0x14, 0x15}), Profile::classic, fits},
      {"RL3 pairs and more", rl3(6, 2, {0x12, 0x93, 0, 0x14, 0x15, 0x16, 0x17}), Profile::classic, fits},
      {"RL3 pair run over the end", rl3(6, 1, {0x12, 0x93, 0x03}), Profile::classic, fits},
  };
  // clang-format on
  for (const auto& [name, file, profile, reason] : cases) {
    const ProfileChoice choice = chooseProfile(file, ProfileMode::automatic);
    EXPECT_EQ(choice.profile, profile) << name;
    EXPECT_EQ(profileReasonText(choice), reason) << name;
  }
  EXPECT_EQ(modelName(10), "PLTE");  // the last with a name
  EXPECT_EQ(modelName(11), "");
}

TEST(AutomaticProfile, PicturesAfterTheFirstOfACatAreAccurate) {
  ImagBuilder cat = ImagBuilder::cat();
  cat.plte(colours(16)).ihdr(ImagHeader::of(4, 16, 16)).idat({1});
  cat.raw({'F', 'O', 'R', 'M', 0, 0, 0, 60, 'I', 'M', 'A', 'G'});
  cat.plte(colours(16)).ihdr(ImagHeader::of(4, 20, 8)).idat({1});
  EXPECT_EQ(chooseProfile(cat.bytes(), ProfileMode::automatic, 0).profile, Profile::classic);
  const ProfileChoice second = chooseProfile(cat.bytes(), ProfileMode::automatic, 1);
  EXPECT_EQ(second.profile, Profile::accurate);
  EXPECT_EQ(profileReasonText(second), "picture 2 of a CAT");
  EXPECT_EQ(second.width, 20);  // its own header
}

// The words the viewer and the converter use for a picture that does not show whole.
TEST(Warnings, SayWhyAPictureDoesNotShowWhole) {
  const auto header = [](int model) {
    return ImagBuilder::form().ihdr(ImagHeader::of(model, 2000, 1000));
  };
  Bytes lengthShort = clut8(2, 2, 4);
  lengthShort[7] = static_cast<std::uint8_t>(lengthShort.size() - 9);  // one byte short
  const FrameCoverage all{384, 280};
  const std::string early = "the picture data ends early",
                    nothing = "the classic frame shows nothing of this ",
                    accurate = " picture; the accurate profile shows it";
  struct Case {
    const char* name;
    Bytes file;
    bool accurate, complete;
    FrameCoverage coverage;
    std::vector<std::string> says;
  };
  // clang-format off
  const Case cases[] = {
      {"whole", clut8(2, 2, 4), false, true, all, {}},
      {"cut", clut8(2, 2, 3), false, true, all, {early}},
      {"cut, in the accurate profile", clut8(2, 2, 4), true, false, all, {early}},
      {"cut, over half a million pixels", clut8(768, 683, 768 * 683 - 1), false, true, all, {early}},
      {"no rows drawn", clut8(2, 2, 4), false, true, {384, 0}, {nothing + "CLUT8" + accurate}},
      {"no columns drawn", clut8(2, 2, 4), false, true, {0, 280}, {nothing + "CLUT8" + accurate}},
      {"too large to judge", header(1).idat(Bytes(6)).bytes(), false, true, {}, {nothing + "RGB888" + accurate}},
      {"no IDAT", header(4).bytes(), false, true, {}, {"no picture data"}},
      {"RL3 pairs: a line of 4 in two codes", ImagBuilder::form().ihdr(ImagHeader::of(9, 4, 1)).idat({1, 2}).bytes(), false, true, all, {early}},
      {"a model of no picture", header(0).idat(Bytes(4)).bytes(), false, true, {}, {"no picture data"}},
      {"container length one byte short", lengthShort, false, true, all,
       {"the container length says " + std::to_string(lengthShort.size() - 9) + " bytes; its chunks reach " +
        std::to_string(lengthShort.size() - 8)}},
  };
  // clang-format on
  for (const Case& c : cases)
    EXPECT_EQ(pictureWarnings(c.file, c.accurate, c.complete, c.coverage), c.says) << c.name;
}

}  // namespace
