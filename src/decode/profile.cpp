#include "profile.h"

#include "accurate.h"
#include "decode.h"
#include "modelnames.h"
#include "rl3codings.h"

namespace {

bool classicFrameShows(int model) {
  return model == 3 || model == 4 || model == 5 || model == 6 || model == 8 || model == 9;
}

ProfileReason accurateReason(const AccurateSummary& header, int picture) {
  if (picture > 0) return ProfileReason::laterPicture;
  if (!classicFrameShows(header.model)) return ProfileReason::modelNotShown;
  if (header.model == 3 && header.lineStarts) return ProfileReason::lineStarts;
  if (header.model != 3 && header.paletteChunks > 0 && header.paletteFirst != 0) {
    return ProfileReason::paletteOffset;
  }
  if (header.model == 6 && header.lineSize == (header.width + 1) / 2) {
    return ProfileReason::packedLines;
  }
  if (header.lineSize != header.width) return ProfileReason::lineSize;
  if (header.width > kFrameWidth || header.height > kFrameHeight) {
    return ProfileReason::largerThanFrame;
  }
  if (header.model == 9 &&
      rl3Fit(header.data, header.width, header.height, Rl3Coding::pairs) == Rl3Fit::clean &&
      rl3Fit(header.data, header.width, header.height, Rl3Coding::classic) != Rl3Fit::clean) {
    return ProfileReason::pairCodes;
  }
  return ProfileReason::classicLayout;
}

}  // namespace

ProfileChoice chooseProfile(std::span<const std::uint8_t> file, ProfileMode mode, int picture) {
  ProfileChoice choice;
  choice.picture = picture;
  AccurateOptions options;
  options.pictureIndex = picture;
  AccurateSummary header;
  const DecodeStatus status = describeAccurate(file, options, header);
  choice.model = header.model, choice.paletteFirst = header.paletteFirst;
  choice.width = header.width, choice.lineSize = header.lineSize, choice.height = header.height;
  if (mode != ProfileMode::automatic) {
    choice.profile = mode == ProfileMode::classic ? Profile::classic : Profile::accurate;
    choice.reason = ProfileReason::forced;
    return choice;
  }
  // A header the accurate reading refuses gets the classic frame, which takes any file: the
  // minimal files that leave the width 0, palette-only pictures, unknown models.
  if (status != DecodeStatus::ok) {
    choice.reason = ProfileReason::noAccurateView;
    return choice;
  }
  choice.reason = accurateReason(header, picture);
  choice.profile =
      choice.reason == ProfileReason::classicLayout ? Profile::classic : Profile::accurate;
  return choice;
}

const char* profileName(Profile profile) {
  return profile == Profile::classic ? "classic" : "accurate";
}

std::string profileReasonText(const ProfileChoice& choice) {
  const auto number = [](int n) { return std::to_string(n); };
  switch (choice.reason) {
    case ProfileReason::forced:
      return "chosen";
    case ProfileReason::classicLayout:
      return "the header fits the classic frame";
    case ProfileReason::noAccurateView:
      return "only the classic reading takes this header";
    case ProfileReason::laterPicture:
      return "picture " + number(choice.picture + 1) + " of a CAT";
    case ProfileReason::modelNotShown:
      return std::string("the classic frame does not show ") +
             std::string(modelName(choice.model)) + " pictures";
    case ProfileReason::paletteOffset:
      return "palette starts at entry " + number(choice.paletteFirst);
    case ProfileReason::lineStarts:
      return "lines start from their own YUVS values";
    case ProfileReason::packedLines:
      return "lines hold two pixels a byte";
    case ProfileReason::lineSize:
      return "lines are " + number(choice.lineSize) + " for a width of " + number(choice.width);
    case ProfileReason::pairCodes:
      return "the RL3 codes hold pairs of pixels";
    case ProfileReason::largerThanFrame:
      return "the picture is " + number(choice.width) + " x " + number(choice.height) +
             ", larger than the 384 x 280 frame";
  }
  return "unknown reason";
}
