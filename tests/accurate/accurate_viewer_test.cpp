// The viewer's profile switch and where an accurate picture is drawn.

#include "accuratecheck.h"
#include "accurateview.h"
#include "support/tempdir.h"
#include "viewercore.h"

namespace {

class AccurateViewer : public ::testing::Test {
 protected:
  AccurateViewer() : core("") { core.onCreate(); }

  // A CLUT8 picture 500 pixels wide: wider than the frame, so the profiles differ.
  std::string widePicture() {
    return dir.write("wide.imag", ImagBuilder::form()
                                      .chunk("PLTE", plteBody(0, greys(8)))
                                      .ihdr(header(4, 500, 500, 2))
                                      .idat(Bytes(1000, 3))
                                      .bytes());
  }

  TempDir dir;
  ViewerCore core;
};

TEST_F(AccurateViewer, TabDoesNothingBeforeTheFirstFile) {
  const Reaction reaction = core.toggleProfile();
  EXPECT_FALSE(reaction.setCaption);
  EXPECT_FALSE(reaction.repaint);
  EXPECT_FALSE(core.accurate());
}

TEST_F(AccurateViewer, TabSwitchesToTheAccuratePictureAndBack) {
  const std::string path = widePicture();
  core.onDrop({path});
  ASSERT_FALSE(core.accurate());
  EXPECT_EQ(core.accuratePicture(), nullptr);

  Reaction reaction = core.toggleProfile();
  EXPECT_TRUE(core.accurate());
  EXPECT_EQ(reaction.status, DecodeStatus::ok);
  EXPECT_TRUE(reaction.setCaption);
  EXPECT_EQ(reaction.caption, path + " [accurate]");
  EXPECT_TRUE(reaction.repaint);
  ASSERT_NE(core.accuratePicture(), nullptr);
  EXPECT_EQ(core.accuratePicture()->width, 500);
  EXPECT_EQ(pixelAt(*core.accuratePicture(), 499, 1), grey(3));

  reaction = core.toggleProfile();
  EXPECT_FALSE(core.accurate());
  EXPECT_EQ(reaction.caption, path);
  EXPECT_TRUE(reaction.repaint);
  EXPECT_EQ(core.accuratePicture(), nullptr);
  ASSERT_NE(core.frame(), nullptr);
  EXPECT_EQ(core.frame()[0], 5);  // entry 3 of the classic frame, blue first: (3, 4, 5)
}

TEST_F(AccurateViewer, ANewFileKeepsTheProfile) {
  const std::string path = widePicture();
  core.onDrop({path});
  core.toggleProfile();
  const Reaction reaction = core.onDrop({path});
  EXPECT_TRUE(core.accurate());
  EXPECT_EQ(reaction.caption, path + " [accurate]");
  EXPECT_NE(core.accuratePicture(), nullptr);
}

TEST_F(AccurateViewer, AFileWithoutAnAccuratePictureShowsTheTitle) {
  // A palette-only model: the classic decoding accepts it, the accurate one has nothing to show.
  const std::string path =
      dir.write("palette.imag", ImagBuilder::form().ihdr(header(10, 1, 1, 1)).bytes());
  EXPECT_EQ(core.onDrop({path}).status, DecodeStatus::ok);
  const Reaction reaction = core.toggleProfile();
  EXPECT_TRUE(core.accurate());
  EXPECT_EQ(reaction.status, DecodeStatus::noPicture);
  EXPECT_EQ(reaction.caption, std::string(szAppname) + " [accurate]");
  EXPECT_EQ(core.accuratePicture(), nullptr);
}

TEST(AccurateView, PicturesAreScaledDownToFitButNeverUp) {
  struct Case {
    int width, height, areaWidth, areaHeight;
    ViewSize expected;
  };
  const Case cases[] = {
      {100, 50, 384, 280, {100, 50}},        // fits: own size
      {384, 280, 384, 280, {384, 280}},      // exactly
      {768, 280, 384, 280, {384, 140}},      // width limits
      {500, 1000, 400, 300, {150, 300}},     // height limits
      {65535, 1, 100, 100, {100, 1}},        // never thinner than a pixel
      {65535, 65535, 200, 100, {100, 100}},  // no overflow
      {0, 5, 100, 100, {0, 0}},
      {5, 5, 0, 100, {0, 0}},
  };
  for (const Case& c : cases) {
    const ViewSize size = fitWithin(c.width, c.height, c.areaWidth, c.areaHeight);
    EXPECT_EQ(size.width, c.expected.width) << c.width << "x" << c.height;
    EXPECT_EQ(size.height, c.expected.height) << c.width << "x" << c.height;
  }
}

}  // namespace
