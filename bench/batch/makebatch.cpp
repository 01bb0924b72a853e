// makebatch: writes a mixed batch of CD-i pictures for the batch benchmark (bench/batch.sh), like
// those of real discs: generated photographs in DYUV at varied sizes, menu screens in RL7, CLUT7
// and CLUT8 with dithered gradients, CLUT4 icons, and charts in the palette and run-length models.
// Files are named KIND-NUMBER.img. Usage: makebatch DIR COUNT. The output depends only on COUNT.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "dyuvencoder.h"
#include "imagbuilder.h"
#include "menuart.h"
#include "paletteencoders.h"
#include "testchart.h"

namespace {

// A photograph stand-in: soft light over a few overlapping blobs of colour, with grain.
RgbPicture photograph(int width, int height, std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  struct Blob {
    double x, y, radius, r, g, b;
  };
  std::vector<Blob> blobs(6);
  for (Blob& blob : blobs) {
    blob = {unit(random) * width, unit(random) * height, 40 + unit(random) * 160,
            unit(random) * 255,   unit(random) * 255,    unit(random) * 255};
  }
  RgbPicture image;
  image.width = width;
  image.height = height;
  std::normal_distribution<double> grain(0.0, 4.0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double r = 40 + 60.0 * y / height, g = r, b = 90;
      for (const Blob& blob : blobs) {
        const double d2 = (x - blob.x) * (x - blob.x) + (y - blob.y) * (y - blob.y);
        const double weight = std::exp(-d2 / (blob.radius * blob.radius));
        r += (blob.r - r) * weight, g += (blob.g - g) * weight, b += (blob.b - b) * weight;
      }
      const double noise = grain(random);
      auto level = [&](double v) {
        return static_cast<std::uint8_t>(std::clamp(v + noise, 0.0, 255.0));
      };
      image.pixels.push_back({level(r), level(g), level(b)});
    }
  }
  return image;
}

std::vector<Rgb> cube(int steps, int entries) {
  std::vector<Rgb> palette;
  for (int r = 0; r < steps; ++r)
    for (int g = 0; g < steps; ++g)
      for (int b = 0; b < steps; ++b)
        palette.push_back({static_cast<std::uint8_t>(r * 255 / (steps - 1)),
                           static_cast<std::uint8_t>(g * 255 / (steps - 1)),
                           static_cast<std::uint8_t>(b * 255 / (steps - 1))});
  while (static_cast<int>(palette.size()) < entries) {
    const auto level = static_cast<std::uint8_t>(palette.size() * 7 % 256);
    palette.push_back({level, level, level});
  }
  palette.resize(entries);
  return palette;
}

// A chart in DYUV or a palette or run-length model, at a random size.
Bytes chart(int index, std::mt19937& random) {
  static const int kModels[] = {3, 4, 5, 6, 8, 9};
  const int model = kModels[index % 6];
  const bool half = model == 6 || model == 9;  // double-resolution models: 4 bits a pixel
  const int width = 128 + static_cast<int>(random() % 33) * 8;
  const int height = 96 + static_cast<int>(random() % 185);
  ImagHeader header;
  header.width = header.lineSize = static_cast<std::uint16_t>(width);
  header.height = static_cast<std::uint16_t>(height);
  header.model = static_cast<std::uint16_t>(model);
  header.depth = static_cast<std::uint16_t>(half ? 4 : model == 5 || model == 8 ? 7 : 8);
  if (model == 3) {
    return ImagBuilder::form()
        .ihdr(header)
        .idat(encodeDyuv(testChart(width, height), {}, 220))
        .bytes();
  }
  const std::vector<Rgb> palette = model == 9   ? kBarColours
                                   : model == 6 ? cube(2, 16)
                                   : model == 4 ? cube(6, 256)
                                                : cube(5, 128);
  const RgbPicture image = model == 9 ? colourBars(width, height) : testChart(width, height);
  return ImagBuilder::form()
      .ihdr(header)
      .plte(palette)
      .idat(encodeIndexed(image, palette, model))
      .bytes();
}

Bytes photographFile(std::mt19937& random) {
  const int width = 128 + static_cast<int>(random() % 33) * 8;
  const int height = 96 + static_cast<int>(random() % 185);
  ImagHeader header;
  header.width = header.lineSize = static_cast<std::uint16_t>(width);
  header.height = static_cast<std::uint16_t>(height);
  header.model = 3;
  return ImagBuilder::form()
      .ihdr(header)
      .idat(encodeDyuv(photograph(width, height, random), {}, 220))
      .bytes();
}

Bytes paletteFile(const PalettePicture& picture, int model) {
  const IndexPicture& indices = picture.indices;
  ImagHeader header = ImagHeader::of(model, indices.width, indices.height,
                                     indexLineSize(model, indices.width, PictureLayout::classic),
                                     model == 6   ? 4
                                     : model == 4 ? 8
                                                  : 7);
  return ImagBuilder::form()
      .ihdr(header)
      .plte(picture.palette)
      .idat(encodeIndices(indices, model, PictureLayout::classic))
      .bytes();
}

// Of every 12 pictures, by kind: 4 photographs; 2 RL7 menus and 3 CLUT7/CLUT8 menus, 384 x 280
// with 100 to 128 colours; 2 CLUT4 icons; 1 chart. The kind starts the file's name.
Bytes picture(int index, std::mt19937& random, std::string& kind) {
  const auto seed = static_cast<std::uint32_t>(random());
  const int entries = 100 + static_cast<int>(seed % 29);
  switch (index % 12) {
    case 1:
      kind = "rl7menu";
      return paletteFile(menuScreen(seed, Dither::ordered, false, 128), 8);
    case 2:
      kind = "rl7menu";
      return paletteFile(menuScreen(seed, Dither::diffused, false, entries), 8);
    case 4:
      kind = "clutmenu";
      return paletteFile(menuScreen(seed, Dither::ordered, false, entries), 5);
    case 5:
      kind = "clutmenu";
      return paletteFile(menuScreen(seed, Dither::diffused, true, 128), 4);
    case 7:
      kind = "clutmenu";
      return paletteFile(menuScreen(seed, Dither::ordered, true, 128), 5);
    case 8:
    case 10:
      kind = "icon";
      return paletteFile(icon(seed, 32 + static_cast<int>(seed % 5) * 8), 6);
    case 11:
      kind = "chart";
      return chart(index / 12, random);
    default:
      kind = "photo";
      return photographFile(random);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: makebatch DIR COUNT\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const int count = std::stoi(argv[2]);
  std::mt19937 random(12);
  for (int i = 0; i < count; ++i) {
    std::string kind;
    const Bytes bytes = picture(i, random, kind);
    char name[48];
    std::snprintf(name, sizeof name, "%s-%05d.img", kind.c_str(), i);
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "makebatch: %s: cannot write\n", (dir / name).string().c_str());
      return 1;
    }
  }
  return 0;
}
