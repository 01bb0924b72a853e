#include "accurateimage.h"

#include <utility>

DecodeStatus accurateImage(std::span<const std::uint8_t> file, const AccurateConversion& how,
                           RgbImage& image, bool& complete) {
  image = RgbImage{};
  complete = false;
  AccurateOptions options;
  options.interpolateChroma = how.interpolate;
  options.pictureIndex = how.picture;
  AccuratePicture picture;
  const DecodeStatus status = decodeAccurate(file, options, picture);
  if (status != DecodeStatus::ok) return status;
  // Widening doubles the pixels; past the cap it is refused like a picture that large.
  if (how.aspect && !widenToScreenAspect(picture)) return DecodeStatus::pictureTooLarge;
  complete = picture.complete;
  image.width = picture.width;
  image.height = picture.height;
  image.rgb = std::move(picture.rgb);
  return DecodeStatus::ok;
}
