#include "accuratesamples.h"

#include "pictureencoder.h"
#include "testchart.h"

namespace {

constexpr int kWidth = 96, kHeight = 64;  // normal resolution; double-resolution is 192 wide

std::uint8_t byte(int v) {
  return static_cast<std::uint8_t>(v);
}

// `image` as the encoder writes it in the format's own layout.
Bytes encoded(const char* model, const RgbPicture& image) {
  return encodePicture(image, nullptr, *modelNamed(model), PictureLayout::accurate).file;
}

// Bands of `colours` colours of a wheel, each `across` pixels wide and `down` lines high, so that
// the run-length models have runs to code.
RgbPicture bands(int width, int colours, int across, int down) {
  return draw(width, kHeight, [=](int x, int y) {
    const int k = (x / across + y / down) % colours * (256 / colours);
    return Rgb{byte(k), byte(k * 3), byte(255 - k)};
  });
}

// Luma across, chroma down. The lines start at one colour, or apart (the encoder then gives
// each its start values in YUVS).
RgbPicture dyuvChart(bool linesStartApart) {
  return draw(kWidth, kHeight, [=](int x, int y) {
    const int shade = linesStartApart || x > 0 ? 2 * y : 0;
    return Rgb{byte(40 + 2 * x), byte(60 + shade), byte(220 - x / 2 - shade)};
  });
}

// A CAT of two pictures; the accurate profile shows the first, --all style callers both.
Bytes catOfTwo() {
  const Bytes first = encoded("rl7", bands(kWidth, 128, 8, 1));
  const Bytes second = encoded("rl7", bands(kWidth, 128, 6, 2));
  ImagBuilder file = ImagBuilder::cat();
  file.raw(Bytes(first.begin() + 12, first.end()));
  file.raw({'F', 'O', 'R', 'M', 0x80, 0, 0, 0, 'I', 'M', 'A', 'G'});  // length "unknown"
  return file.raw(Bytes(second.begin() + 12, second.end())).bytes();
}

// An odd-length USER chunk written without its pad byte, as one widely used writer did.
Bytes unpaddedUser(const Bytes& picture) {
  ImagBuilder file = ImagBuilder::form();
  file.chunk("USER", {'n', 'o', 't', 'e', 's'});
  return file.raw(Bytes(picture.begin() + 12, picture.end())).bytes();
}

}  // namespace

std::vector<AccurateSample> accurateSamples() {
  const Bytes clut8 = encoded("clut8", bands(kWidth, 256, 1, 1));
  return {
      {"rgb888.imag", encoded("rgb888", draw(kWidth, kHeight,
                                             [](int x, int y) {
                                               return Rgb{byte(x * 255 / 95), byte(y * 4), 128};
                                             }))},
      {"rgb555.imag",
       encoded("rgb555", draw(kWidth, kHeight,
                              [](int x, int y) {
                                return Rgb{byte(x * 31 / 95 << 3), byte(y / 2 << 3), 128};
                              }))},
      {"dyuv.imag", encoded("dyuv", dyuvChart(false))},
      {"dyuv-yuvs.imag", encoded("dyuv", dyuvChart(true))},
      {"clut8.imag", clut8},
      {"clut7.imag", encoded("clut7", bands(kWidth, 128, 1, 1))},
      {"clut4.imag", encoded("clut4", bands(2 * kWidth, 16, 12, 16))},
      {"clut3.imag", encoded("clut3", bands(2 * kWidth, 8, 12, 16))},
      {"rl7.imag", encoded("rl7", bands(kWidth, 128, 8, 1))},
      {"rl3.imag", encoded("rl3", bands(2 * kWidth, 8, 10, 8))},
      {"cat-two-pictures.imag", catOfTwo()},
      {"unpadded-user.imag", unpaddedUser(clut8)},
  };
}
