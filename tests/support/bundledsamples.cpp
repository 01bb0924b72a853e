#include "bundledsamples.h"

#include "decode.h"
#include "dyuvencoder.h"
#include "paletteencoders.h"
#include "testchart.h"

namespace {

std::uint8_t byte(int v) {
  return static_cast<std::uint8_t>(v);
}

// A cube of `levels` x `levels` x `levels` colours, red slowest.
std::vector<Rgb> cube(int levels) {
  std::vector<Rgb> palette;
  const auto step = [&](int n) { return byte(n % levels * 255 / (levels - 1)); };
  for (int i = 0; i < levels * levels * levels; ++i)
    palette.push_back({step(i / levels / levels), step(i / levels), step(i)});
  return palette;
}

// `palette` and `count` greys after it, of level(0) to level(count - 1).
template <class Level>
std::vector<Rgb> withGreys(std::vector<Rgb> palette, int count, Level level) {
  for (int i = 0; i < count; ++i)
    palette.push_back({byte(level(i)), byte(level(i)), byte(level(i))});
  return palette;
}

// CLUT8: 216 colours of a 6 x 6 x 6 cube, then 40 greys between its steps. CLUT7 and RL7: 125
// colours of a 5 x 5 x 5 cube and 3 greys, the 128 entries that 7-bit indices reach. CLUT4: the
// bar colours and eight greys.
std::vector<Rgb> paletteClut8() {
  return withGreys(cube(6), 40, [](int i) { return 3 + i * 252 / 39; });
}
std::vector<Rgb> paletteClut7() {
  return withGreys(cube(5), 3, [](int i) { return 32 + 64 * i; });
}
std::vector<Rgb> paletteClut4() {
  return withGreys(kBarColours, 8, [](int i) { return 16 + i * 32; });
}

struct SampleRecipe {
  const char* fileName;
  int model;
  int depth;  // bits per pixel, as the header states it
  int width, height;
  RgbPicture (*chart)(int width, int height);
  std::vector<Rgb> (*palette)();  // null for DYUV
};

const SampleRecipe kRecipes[] = {
    {"dyuv-chart.imag", 3, 8, 384, 280, testChart, nullptr},
    {"clut8-chart.imag", 4, 8, 256, 192, testChart, paletteClut8},
    {"clut7-chart.imag", 5, 7, 256, 192, testChart, paletteClut7},
    {"clut4-chart.imag", 6, 4, 192, 140, testChart, paletteClut4},
    {"rl7-chart.imag", 8, 7, 384, 280, testChart, paletteClut7},
    {"rl3-bars.imag", 9, 3, 384, 280, colourBars, [] { return kBarColours; }},
};

}  // namespace

std::vector<SamplePicture> bundledSamples() {
  std::vector<SamplePicture> samples;
  for (const SampleRecipe& recipe : kRecipes) {
    const RgbPicture image = recipe.chart(recipe.width, recipe.height);
    const ImagHeader header =
        ImagHeader::of(recipe.model, recipe.width, recipe.height, recipe.width, recipe.depth);
    ImagBuilder file = ImagBuilder::form();
    file.ihdr(header);
    if (recipe.palette == nullptr) {
      file.idat(encodeDyuv(image, DyuvStart{header.y, header.u, header.v}, kViewerThreshold));
    } else {
      const std::vector<Rgb> palette = recipe.palette();
      file.plte(palette).idat(encodeIndexed(image, palette, recipe.model));
    }
    samples.push_back({recipe.fileName, file.bytes()});
  }
  return samples;
}
