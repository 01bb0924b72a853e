// Fuzz entry point over decodeAccurate, the opt-in profile that decodes a picture at its own
// size. The file sits against an inaccessible page. A picture that comes back must be exactly
// width x height pixels within the cap, from a container the header test accepts; a refusal must
// leave the picture empty; widening must double the width or leave the picture as it was.
//
// Input: selector (bit 0: interpolated chroma; bits 1-2: which picture of a CAT), then the file.

#include "accurate/accurate.h"
#include "fence.h"
#include "oracle.h"

constexpr std::uint64_t kCap = std::uint64_t{1} << 20;  // pixels: keeps each input quick

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t* fenced = fencedFile(data, size);
  if (fenced == nullptr) return 0;
  const std::span<const std::uint8_t> file(fenced, size - 1);
  AccurateOptions options;
  options.interpolateChroma = (data[0] & 1) != 0;
  options.pictureIndex = data[0] >> 1 & 3;
  options.maxPixels = kCap;

  AccuratePicture picture;
  const DecodeStatus status = decodeAccurate(file, options, picture);
  const DecodeStatus container = expectedStatus(file);
  if (container != DecodeStatus::ok && status != container) fail("wrong status for the header");
  if (status != DecodeStatus::ok) {
    if (!picture.rgb.empty()) fail("a refused picture holds pixels");
    return 0;
  }
  if (container != DecodeStatus::ok) fail("a picture from a refused container");
  if (options.pictureIndex >= accuratePictureCount(file)) fail("a picture past the last one");
  const auto pixels = static_cast<std::uint64_t>(picture.width) * picture.height;
  if (picture.width <= 0 || picture.height <= 0 || pixels > kCap) fail("a picture out of bounds");
  if (picture.rgb.size() != 3 * pixels) fail("pixels do not match the picture's size");

  const int width = picture.width;
  const bool alreadyWide = picture.doubleResolution;
  const bool widened = widenToScreenAspect(picture, kCap);
  const int expected = widened && !alreadyWide ? 2 * width : width;
  if (picture.width != expected ||
      picture.rgb.size() != 3 * static_cast<std::uint64_t>(picture.width) * picture.height) {
    fail("widening gave a picture of the wrong size");
  }
  return 0;
}
