#include "bundledsamples.h"

#include "dyuvencoder.h"
#include "paletteencoders.h"
#include "testchart.h"

namespace {

constexpr int kViewerThreshold = 220;  // the suppression the viewer shows DYUV pictures with

// 216 colours of a 6 x 6 x 6 cube, then 40 greys between its steps.
std::vector<Rgb> paletteClut8() {
  std::vector<Rgb> palette;
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        palette.push_back({static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                           static_cast<std::uint8_t>(b * 51)});
      }
    }
  }
  for (int i = 0; i < 40; ++i) {
    const auto level = static_cast<std::uint8_t>(3 + i * 252 / 39);
    palette.push_back({level, level, level});
  }
  return palette;
}

// 125 colours of a 5 x 5 x 5 cube and 3 greys: the 128 entries that 7-bit indices reach.
std::vector<Rgb> paletteClut7() {
  std::vector<Rgb> palette;
  for (int r = 0; r < 5; ++r) {
    for (int g = 0; g < 5; ++g) {
      for (int b = 0; b < 5; ++b) {
        palette.push_back({static_cast<std::uint8_t>(r * 255 / 4),
                           static_cast<std::uint8_t>(g * 255 / 4),
                           static_cast<std::uint8_t>(b * 255 / 4)});
      }
    }
  }
  for (const std::uint8_t level : {32, 96, 160})
    palette.push_back({level, level, level});
  return palette;
}

// The bar colours and eight greys: 16 entries for 4-bit indices.
std::vector<Rgb> paletteClut4() {
  std::vector<Rgb> palette = kBarColours;
  for (int i = 0; i < 8; ++i) {
    const auto level = static_cast<std::uint8_t>(16 + i * 32);
    palette.push_back({level, level, level});
  }
  return palette;
}

struct SampleRecipe {
  const char* fileName;
  int model;
  int depth;  // bits per pixel, as the header states it
  int width, height;
  RgbPicture (*chart)(int width, int height);
  std::vector<Rgb> (*palette)();  // null for DYUV
};

std::vector<Rgb> barPalette() {
  return kBarColours;
}

const SampleRecipe kRecipes[] = {
    {"dyuv-chart.imag", 3, 8, 384, 280, testChart, nullptr},
    {"clut8-chart.imag", 4, 8, 256, 192, testChart, paletteClut8},
    {"clut7-chart.imag", 5, 7, 256, 192, testChart, paletteClut7},
    {"clut4-chart.imag", 6, 4, 192, 140, testChart, paletteClut4},
    {"rl7-chart.imag", 8, 7, 384, 280, testChart, paletteClut7},
    {"rl3-bars.imag", 9, 3, 384, 280, colourBars, barPalette},
};

Bytes build(const SampleRecipe& recipe) {
  const RgbPicture image = recipe.chart(recipe.width, recipe.height);
  const ImagHeader header =
      ImagHeader::of(recipe.model, recipe.width, recipe.height, recipe.width, recipe.depth);
  ImagBuilder file = ImagBuilder::form();
  file.ihdr(header);
  if (recipe.palette == nullptr) {
    const DyuvStart start{header.y, header.u, header.v};
    file.idat(encodeDyuv(image, start, kViewerThreshold));
  } else {
    const std::vector<Rgb> palette = recipe.palette();
    file.plte(palette).idat(encodeIndexed(image, palette, recipe.model));
  }
  return file.bytes();
}

}  // namespace

std::vector<SamplePicture> bundledSamples() {
  std::vector<SamplePicture> samples;
  for (const SampleRecipe& recipe : kRecipes)
    samples.push_back({recipe.fileName, build(recipe)});
  return samples;
}
