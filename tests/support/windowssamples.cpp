#include "windowssamples.h"

namespace {

// 256 colours whose red, green and blue all differ from one index to the next.
std::vector<Rgb> distinctColours() {
  std::vector<Rgb> colours;
  for (int i = 0; i < 256; ++i) {
    colours.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                       static_cast<std::uint8_t>(i * 37 % 256)});
  }
  return colours;
}

Bytes clutPicture(int width, int height, int salt) {
  Bytes pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      pixels.push_back(static_cast<std::uint8_t>(x + 3 * y + salt));
  }
  return ImagBuilder::form()
      .plte(distinctColours())
      .ihdr(ImagHeader::of(4, width, height))
      .idat(pixels)
      .bytes();
}

Bytes dyuvPicture() {
  Bytes data;
  std::uint32_t state = 12345;
  for (int i = 0; i < 384 * 280; ++i) {
    state = state * 1103515245u + 12345u;  // any fixed sequence: large deltas make artefacts
    data.push_back(static_cast<std::uint8_t>(state >> 16));
  }
  return ImagBuilder::form().ihdr(ImagHeader::of(3, 384, 280)).idat(data).bytes();
}

Bytes otherIffType() {
  Bytes file = clutPicture(16, 16, 0);
  file[8] = 'I', file[9] = 'L', file[10] = 'B', file[11] = 'M';
  return file;
}

}  // namespace

std::vector<SamplePicture> windowsSamples() {
  return {{"full.img", clutPicture(384, 280, 0)},
          {"small.img", clutPicture(100, 50, 90)},
          {"dyuv.img", dyuvPicture()},
          {"ilbm.img", otherIffType()}};
}
