#include "fuzzsamples.h"

#include <cstdint>

namespace {

std::vector<Rgb> palette(int entries) {
  std::vector<Rgb> colours;
  for (int n = 0; n < entries; ++n) {
    const auto c = static_cast<std::uint8_t>(n);
    colours.push_back({c, static_cast<std::uint8_t>(255 - c), static_cast<std::uint8_t>(c * 7)});
  }
  return colours;
}

Bytes repeat(const Bytes& part, int times) {
  Bytes bytes;
  for (int i = 0; i < times; ++i)
    bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

// Every nibble in both halves of a byte, so that each DYUV step is taken.
Bytes dyuvData(int bpr, int h) {
  return ramp(bpr * h, 0x1D);
}

// RL7 codes for a row of 8: a single pixel, a counted run, a run to the end of the row.
const Bytes kRl7Row = {0x05, 0x83, 0x03, 0xFF, 0x00};
// RL3 codes for a row of 8: a single pixel, a counted run of 3, a run to the end of the row.
const Bytes kRl3Row = {0x35, 0xA3, 0xF0};

// A FORM with a 16-entry palette.
ImagBuilder form() {
  return ImagBuilder::form().plte(palette(16));
}

// `file` followed by IHDR for `model`, width x height, and one IDAT of `data`.
ImagBuilder picture(ImagBuilder file, int model, int width, int height, const Bytes& data) {
  file.ihdr(ImagHeader::of(model, width, height)).idat(data);
  return file;
}

ImagBuilder picture(int model, int width, int height, const Bytes& data) {
  return picture(form(), model, width, height, data);
}

}  // namespace

Bytes ramp(int count, int step) {
  Bytes bytes;
  for (int i = 0; i < count; ++i)
    bytes.push_back(static_cast<std::uint8_t>(i * step));
  return bytes;
}

std::vector<Sample> samplePictures() {
  std::vector<Sample> s;
  const auto good = [&s](std::string name, const ImagBuilder& b) {
    s.push_back({std::move(name), b.bytes(), true});
  };
  const auto bad = [&s](std::string name, const ImagBuilder& b) {
    s.push_back({std::move(name), b.bytes(), false});
  };
  const auto bare = [] { return ImagBuilder::form(); };  // without a palette

  // One picture of each model, 8 x 4.
  good("dyuv", picture(bare(), 3, 8, 4, dyuvData(8, 4)));
  good("clut8", picture(ImagBuilder::form().plte(palette(256)), 4, 8, 4, ramp(32, 9)));
  good("clut7", picture(5, 8, 4, ramp(32, 5)));
  good("clut4", picture(6, 8, 4, ramp(32, 0x13)));
  good("rl7", picture(8, 8, 4, repeat(kRl7Row, 4)));
  good("rl3", picture(9, 8, 4, repeat(kRl3Row, 4)));
  good("model7", picture(7, 8, 4, ramp(32, 1)));
  good("model1", picture(1, 8, 4, ramp(32, 1)));
  good("cat-clut4", picture(ImagBuilder::cat().plte(palette(16)), 6, 8, 2, ramp(16, 0x11)));
  good("cat-two-items", picture(picture(ImagBuilder::cat(), 3, 4, 2, dyuvData(4, 2))
                                    .raw({'F', 'O', 'R', 'M', 0, 0, 0, 20, 'I', 'M', 'A', 'G'}),
                                4, 4, 1, {1, 2, 3, 4}));
  good("two-idat-rl7", picture(8, 8, 2, repeat(kRl7Row, 2)).idat(repeat(kRl7Row, 2)));
  good("two-idat-dyuv-odd", picture(bare(), 3, 5, 2, dyuvData(5, 2)).idat(dyuvData(5, 2)));
  good("ihdr-per-idat", picture(picture(4, 4, 1, ramp(4, 1)), 9, 4, 1, {0x80}));

  // Rows longer than the frame's 384 pixels run on into the row below.
  bad("runon-clut8", picture(4, 400, 2, ramp(800, 3)));
  bad("runon-rl7", picture(8, 400, 2, {0x81, 0x00, 0x82, 0xC8, 0x83, 0xC8}));
  // Counted runs that overshoot the row's end.
  bad("overshoot-rl7", picture(8, 6, 2, {0x7F, 0xFF, 0x07, 0x01, 0x82, 0xFF}));
  bad("overshoot-rl3", picture(9, 6, 2, {0x9A, 0x10, 0xAF}));
  // Pictures that reach the end of the block: the last rows, and the run-on past it.
  bad("block-end-clut4", picture(6, 1, 300, ramp(300, 0x10)));
  bad("block-end-dyuv", picture(picture(bare(), 3, 0, 282, {}), 3, 500, 3, dyuvData(500, 3)));
  bad("block-end-rl7", picture(picture(8, 0, 283, {}), 8, 384, 2, {0x83, 0xFF, 0x84, 0xFF}));
  bad("block-end-rl3", picture(9, 20, 290, repeat({0xAF, 0xBF}, 290)));
  bad("rows-after-block",
      picture(picture(9, 384, 284, repeat({0x80}, 284)).idat(repeat({0x90}, 10)), 4, 4, 2,
              ramp(8, 1)));

  // Files that end inside the picture.
  bad("cut-dyuv", picture(bare(), 3, 8, 4, dyuvData(8, 2)));
  bad("cut-rl7-count",
      form().ihdr(ImagHeader::of(8, 8, 2)).raw({'I', 'D', 'A', 'T', 0, 0, 0, 9, 0x05, 0x83}));
  bad("cut-rl7-code", picture(8, 8, 2, {0x05, 0x83, 0x02}));
  bad("cut-rl3", picture(9, 30, 2, {0x35, 0xA3}));

  // Empty pictures and odd headers.
  bad("zero-width", picture(picture(4, 0, 3, {}), 8, 0, 2, {}));
  bad("zero-height", picture(3, 8, 0, ramp(8, 1)));
  bad("idat-before-ihdr", picture(form().idat(ramp(8, 1)), 4, 4, 1, ramp(4, 1)));
  bad("ihdr-odd-length",
      form().chunk("IHDR", {0, 8, 0, 8, 0, 2, 0, 4, 0, 8, 0, 16, 128}).idat(ramp(16, 1)));
  bad("ihdr-long", form()
                       .chunk("IHDR", {0, 4, 0, 4, 0, 1, 0, 6, 0, 8, 0, 16, 128, 128, 9, 9, 9})
                       .idat(ramp(4, 0x10)));
  bad("ihdr-at-end", form().raw({'I', 'H', 'D', 'R', 0, 0, 0, 14, 0, 4, 0, 4}));
  bad("container-only", bare());

  // Palettes: too short to hold colours, partial, longer than 256 entries, cut by the file.
  bad("plte-short", picture(bare().chunk("PLTE", {0, 0}), 4, 4, 1, ramp(4, 1)));
  bad("plte-partial", picture(4, 4, 2, ramp(8, 3)));
  bad("plte-oversized", picture(bare().plte(palette(300)), 4, 4, 1, ramp(4, 1)));
  bad("plte-cut",
      picture(bare(), 4, 4, 1, ramp(4, 1)).raw({'P', 'L', 'T', 'E', 0, 0, 3, 4, 0, 0, 1, 0, 9, 9}));

  // Chunks the walk passes over: unknown ones, lengths of 2^24 and more, lengths past the end,
  // an odd-length chunk followed by a pad byte, and a trailing fragment.
  bad("skipped-chunks", form()
                            .chunk("ANNO", {'h', 'i'})
                            .chunkWithLength("IDAT", 0x01000000, ramp(4, 1))
                            .ihdr(ImagHeader::of(4, 2, 1))
                            .chunk("TEXT", {'x'})
                            .raw({0})
                            .idat({1, 2})
                            .raw({'I', 'D', 'A'}));
  bad("length-past-end", form()
                             .ihdr(ImagHeader::of(4, 2, 1))
                             .chunkWithLength("IDAT", 0xFFFFFFF0, {1, 2})
                             .idat({3, 4}));
  bad("rl-to-end-runs", picture(9, 384, 3, {0x80, 0x35, 0xB0, 0x9F, 0xC0}));
  // Headers with nothing after them, a near-miss identifier, and a trailing fragment.
  bad("plte-header-at-end", picture(4, 2, 1, {1, 2}).raw({'P', 'L', 'T', 'E', 0, 0, 0, 40}));
  bad("ihdr-header-at-end", form().raw({'I', 'H', 'D', 'R', 0, 0, 0, 14}));
  bad("near-miss-ids",
      picture(form().chunk("IHDX", {0, 4, 0, 4, 0, 1, 0, 4}).chunk("PLTF", {}).chunk("IDAS", {1}),
              4, 1, 1, {1})
          .raw({'I', 'D', 'A'}));
  return s;
}
