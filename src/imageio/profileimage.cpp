#include "profileimage.h"

#include "picturewarnings.h"

DecodeStatus profiledImage(std::span<const std::uint8_t> file, ProfileMode mode,
                           const AccurateConversion& how, bool crop, ProfiledImage& out) {
  out = ProfiledImage{};
  out.choice = chooseProfile(file, mode, how.picture);
  if (out.choice.profile == Profile::accurate) {
    bool complete = false;
    const DecodeStatus status = accurateImage(file, how, out.image, complete);
    if (status == DecodeStatus::ok) out.warnings = pictureWarnings(file, true, complete, {});
    return status;
  }
  std::vector<std::uint8_t> frame(kFrameBytes);
  const std::span<std::uint8_t, kFrameBytes> shown(frame.data(), kFrameBytes);
  FrameCoverage coverage;
  const DecodeStatus status = decodeImageMemory(file, shown, kViewerThreshold, &coverage);
  if (status != DecodeStatus::ok) return status;
  out.warnings = pictureWarnings(file, false, false, coverage);
  if (crop && (coverage.width == 0 || coverage.height == 0)) return DecodeStatus::noPicture;
  out.image =
      frameToRgb(shown, crop ? coverage.width : kFrameWidth, crop ? coverage.height : kFrameHeight);
  return DecodeStatus::ok;
}
