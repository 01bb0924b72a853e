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

// count bytes 0, step, 2 * step, ... (mod 256).
Bytes ramp(int count, int step) {
  Bytes bytes;
  for (int i = 0; i < count; ++i)
    bytes.push_back(static_cast<std::uint8_t>(i * step));
  return bytes;
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

}  // namespace

std::vector<Sample> samplePictures() {
  std::vector<Sample> s;
  const auto add = [&s](std::string name, const ImagBuilder& b, bool wellFormed) {
    s.push_back({std::move(name), b.bytes(), wellFormed});
  };
  const auto form = [] { return ImagBuilder::form().plte(palette(16)); };

  // One picture of each model, 8 x 4.
  add("dyuv", ImagBuilder::form().ihdr(ImagHeader::of(3, 8, 4)).idat(dyuvData(8, 4)), true);
  add("clut8",
      ImagBuilder::form().plte(palette(256)).ihdr(ImagHeader::of(4, 8, 4)).idat(ramp(32, 9)), true);
  add("clut7", form().ihdr(ImagHeader::of(5, 8, 4)).idat(ramp(32, 5)), true);
  add("clut4", form().ihdr(ImagHeader::of(6, 8, 4)).idat(ramp(32, 0x13)), true);
  add("rl7", form().ihdr(ImagHeader::of(8, 8, 4)).idat(repeat(kRl7Row, 4)), true);
  add("rl3", form().ihdr(ImagHeader::of(9, 8, 4)).idat(repeat(kRl3Row, 4)), true);
  add("model7", form().ihdr(ImagHeader::of(7, 8, 4)).idat(ramp(32, 1)), true);
  add("model1", form().ihdr(ImagHeader::of(1, 8, 4)).idat(ramp(32, 1)), true);
  add("cat-clut4",
      ImagBuilder::cat().plte(palette(16)).ihdr(ImagHeader::of(6, 8, 2)).idat(ramp(16, 0x11)),
      true);
  add("cat-two-items",
      ImagBuilder::cat()
          .ihdr(ImagHeader::of(3, 4, 2))
          .idat(dyuvData(4, 2))
          .raw({'F', 'O', 'R', 'M', 0, 0, 0, 20, 'I', 'M', 'A', 'G'})
          .ihdr(ImagHeader::of(4, 4, 1))
          .idat({1, 2, 3, 4}),
      true);
  add("two-idat-rl7",
      form().ihdr(ImagHeader::of(8, 8, 2)).idat(repeat(kRl7Row, 2)).idat(repeat(kRl7Row, 2)), true);
  add("two-idat-dyuv-odd",
      ImagBuilder::form().ihdr(ImagHeader::of(3, 5, 2)).idat(dyuvData(5, 2)).idat(dyuvData(5, 2)),
      true);
  add("ihdr-per-idat",
      form()
          .ihdr(ImagHeader::of(4, 4, 1))
          .idat(ramp(4, 1))
          .ihdr(ImagHeader::of(9, 4, 1))
          .idat({0x80}),
      true);

  // Rows longer than the frame's 384 pixels run on into the row below.
  add("runon-clut8", form().ihdr(ImagHeader::of(4, 400, 2)).idat(ramp(800, 3)), false);
  add("runon-rl7",
      form().ihdr(ImagHeader::of(8, 400, 2)).idat({0x81, 0x00, 0x82, 0xC8, 0x83, 0xC8}), false);
  // Counted runs that overshoot the row's end.
  add("overshoot-rl7",
      form().ihdr(ImagHeader::of(8, 6, 2)).idat({0x7F, 0xFF, 0x07, 0x01, 0x82, 0xFF}), false);
  add("overshoot-rl3", form().ihdr(ImagHeader::of(9, 6, 2)).idat({0x9A, 0x10, 0xAF}), false);
  // Pictures that reach the end of the block: the last rows, and the run-on past it.
  add("block-end-clut4", form().ihdr(ImagHeader::of(6, 1, 300)).idat(ramp(300, 0x10)), false);
  add("block-end-dyuv",
      ImagBuilder::form()
          .ihdr(ImagHeader::of(3, 0, 282))
          .idat({})
          .ihdr(ImagHeader::of(3, 500, 3))
          .idat(dyuvData(500, 3)),
      false);
  add("block-end-rl7",
      form()
          .ihdr(ImagHeader::of(8, 0, 283))
          .idat({})
          .ihdr(ImagHeader::of(8, 384, 2))
          .idat({0x83, 0xFF, 0x84, 0xFF}),
      false);
  add("block-end-rl3", form().ihdr(ImagHeader::of(9, 20, 290)).idat(repeat({0xAF, 0xBF}, 290)),
      false);
  add("rows-after-block",
      form()
          .ihdr(ImagHeader::of(9, 384, 284))
          .idat(repeat({0x80}, 284))
          .idat(repeat({0x90}, 10))
          .ihdr(ImagHeader::of(4, 4, 2))
          .idat(ramp(8, 1)),
      false);

  // Files that end inside the picture.
  add("cut-dyuv", ImagBuilder::form().ihdr(ImagHeader::of(3, 8, 4)).idat(dyuvData(8, 2)), false);
  add("cut-rl7-count",
      form().ihdr(ImagHeader::of(8, 8, 2)).raw({'I', 'D', 'A', 'T', 0, 0, 0, 9, 0x05, 0x83}),
      false);
  add("cut-rl7-code", form().ihdr(ImagHeader::of(8, 8, 2)).idat({0x05, 0x83, 0x02}), false);
  add("cut-rl3", form().ihdr(ImagHeader::of(9, 30, 2)).idat({0x35, 0xA3}), false);

  // Empty pictures and odd headers.
  add("zero-width",
      form().ihdr(ImagHeader::of(4, 0, 3)).idat({}).ihdr(ImagHeader::of(8, 0, 2)).idat({}), false);
  add("zero-height", form().ihdr(ImagHeader::of(3, 8, 0)).idat(ramp(8, 1)), false);
  add("idat-before-ihdr", form().idat(ramp(8, 1)).ihdr(ImagHeader::of(4, 4, 1)).idat(ramp(4, 1)),
      false);
  add("ihdr-odd-length",
      form().chunk("IHDR", {0, 8, 0, 8, 0, 2, 0, 4, 0, 8, 0, 16, 128}).idat(ramp(16, 1)), false);
  add("ihdr-long",
      form()
          .chunk("IHDR", {0, 4, 0, 4, 0, 1, 0, 6, 0, 8, 0, 16, 128, 128, 9, 9, 9})
          .idat(ramp(4, 0x10)),
      false);
  add("ihdr-at-end", form().raw({'I', 'H', 'D', 'R', 0, 0, 0, 14, 0, 4, 0, 4}), false);
  add("container-only", ImagBuilder::form(), false);

  // Palettes: too short to hold colours, partial, longer than 256 entries, cut by the file.
  add("plte-short",
      ImagBuilder::form().chunk("PLTE", {0, 0}).ihdr(ImagHeader::of(4, 4, 1)).idat(ramp(4, 1)),
      false);
  add("plte-partial",
      ImagBuilder::form().plte(palette(16)).ihdr(ImagHeader::of(4, 4, 2)).idat(ramp(8, 3)), false);
  add("plte-oversized",
      ImagBuilder::form().plte(palette(300)).ihdr(ImagHeader::of(4, 4, 1)).idat(ramp(4, 1)), false);
  add("plte-cut",
      ImagBuilder::form()
          .ihdr(ImagHeader::of(4, 4, 1))
          .idat(ramp(4, 1))
          .raw({'P', 'L', 'T', 'E', 0, 0, 3, 4, 0, 0, 1, 0, 9, 9}),
      false);

  // Chunks the walk passes over: unknown ones, lengths of 2^24 and more, lengths past the end,
  // an odd-length chunk followed by a pad byte, and a trailing fragment.
  add("skipped-chunks",
      form()
          .chunk("ANNO", {'h', 'i'})
          .chunkWithLength("IDAT", 0x01000000, ramp(4, 1))
          .ihdr(ImagHeader::of(4, 2, 1))
          .chunk("TEXT", {'x'})
          .raw({0})
          .idat({1, 2})
          .raw({'I', 'D', 'A'}),
      false);
  add("length-past-end",
      form().ihdr(ImagHeader::of(4, 2, 1)).chunkWithLength("IDAT", 0xFFFFFFF0, {1, 2}).idat({3, 4}),
      false);
  add("rl-to-end-runs", form().ihdr(ImagHeader::of(9, 384, 3)).idat({0x80, 0x35, 0xB0, 0x9F, 0xC0}),
      false);
  // Headers with nothing after them, a near-miss identifier, and a trailing fragment.
  add("plte-header-at-end",
      form().ihdr(ImagHeader::of(4, 2, 1)).idat({1, 2}).raw({'P', 'L', 'T', 'E', 0, 0, 0, 40}),
      false);
  add("ihdr-header-at-end", form().raw({'I', 'H', 'D', 'R', 0, 0, 0, 14}), false);
  add("near-miss-ids",
      form()
          .chunk("IHDX", {0, 4, 0, 4, 0, 1, 0, 4})
          .chunk("PLTF", {})
          .chunk("IDAS", {1})
          .ihdr(ImagHeader::of(4, 1, 1))
          .idat({1})
          .raw({'I', 'D', 'A'}),
      false);
  return s;
}
