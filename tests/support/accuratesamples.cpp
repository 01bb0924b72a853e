#include "accuratesamples.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

constexpr int kWidth = 96, kHeight = 64;  // normal resolution; double-resolution is 192 wide

std::uint8_t byte(int v) {
  return static_cast<std::uint8_t>(v);
}

// `count` entries of a colour wheel from entry `first` on.
std::vector<Rgb> wheel(int first, int count) {
  std::vector<Rgb> colours;
  for (int k = first; k < first + count; ++k)
    colours.push_back({byte(k), byte(k * 3), byte(255 - k)});
  return colours;
}

// A small palette of strong colours for the 3- and 4-bit models.
std::vector<Rgb> smallPalette(int count) {
  static const std::vector<Rgb> kColours = {
      {0, 0, 0},       {255, 255, 255}, {220, 40, 40},   {40, 200, 60},
      {40, 80, 220},   {240, 220, 40},  {200, 60, 200},  {40, 200, 200},
      {120, 60, 20},   {250, 150, 60},  {120, 120, 120}, {60, 20, 120},
      {180, 240, 140}, {250, 180, 200}, {20, 60, 40},    {200, 200, 240},
  };
  return std::vector<Rgb>(kColours.begin(), kColours.begin() + count);
}

// The DYUV delta table.
constexpr int kSteps[16] = {0, 1, 4, 9, 16, 27, 44, 79, 128, 177, 212, 229, 240, 247, 252, 255};

struct Yuv {
  int y, u, v;
};

// A colour gradient in YUV: luma across, chroma down.
Yuv target(int x, int y) {
  return {40 + x * 2, 128 + (y - 32) * 3, 128 + (x - 48) * 2};
}

// The delta-table step that brings `from` closest to `to`, modulo 256.
int bestStep(int from, int to) {
  int best = 0, bestDistance = 256;
  for (int k = 0; k < 16; ++k) {
    const int d = std::abs(((from + kSteps[k]) & 255) - to);
    if (d < bestDistance) best = k, bestDistance = d;
  }
  return best;
}

int stepped(int from, int k) {
  return (from + kSteps[k]) & 255;
}

Bytes dyuvData(bool perLineStarts) {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    Yuv c = perLineStarts ? target(0, y) : Yuv{16, 128, 128};
    for (int x = 0; x < kWidth; x += 2) {
      const Yuv t0 = target(x, y), t1 = target(x + 1, y);
      const int du = bestStep(c.u, t0.u), dy0 = bestStep(c.y, t0.y);
      c.u = stepped(c.u, du), c.y = stepped(c.y, dy0);
      const int dv = bestStep(c.v, t1.v), dy1 = bestStep(c.y, t1.y);
      c.v = stepped(c.v, dv), c.y = stepped(c.y, dy1);
      data.push_back(byte(du << 4 | dy0));
      data.push_back(byte(dv << 4 | dy1));
    }
  }
  return data;
}

AccurateSample rgb888() {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x)
      data.insert(data.end(), {byte(x * 255 / 95), byte(y * 4), 128});
    data.insert(data.end(), 3, 0);  // one pixel of padding per line
  }
  return {"rgb888.imag",
          ImagBuilder::form()
              .ihdr(ImagHeader::of(1, kWidth, kHeight, 3 * kWidth + 3, 24))
              .idat(data)
              .bytes(),
          kWidth, kHeight};
}

AccurateSample rgb555() {
  Bytes upper, lower;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const unsigned pixel = unsigned(x * 31 / 95) << 10 | unsigned(y / 2) << 5 | 16u;
      upper.push_back(byte(int(pixel >> 8)));
      lower.push_back(byte(int(pixel & 0xFF)));
    }
  }
  upper.insert(upper.end(), lower.begin(), lower.end());
  return {
      "rgb555.imag",
      ImagBuilder::form().ihdr(ImagHeader::of(2, kWidth, kHeight, kWidth, 16)).idat(upper).bytes(),
      kWidth, kHeight};
}

AccurateSample dyuv(bool perLineStarts) {
  ImagHeader h = ImagHeader::of(3, kWidth, kHeight, kWidth, 8);
  ImagBuilder file = ImagBuilder::form();
  if (perLineStarts) {
    h.dyuvKind = 1;
    Bytes starts;
    for (int y = 0; y < kHeight; ++y) {
      const Yuv t = target(0, y);
      starts.insert(starts.end(), {byte(t.y), byte(t.u), byte(t.v)});
    }
    file.ihdr(h).chunk("YUVS", starts);
  } else {
    file.ihdr(h);
  }
  return {perLineStarts ? "dyuv-yuvs.imag" : "dyuv.imag",
          file.idat(dyuvData(perLineStarts)).bytes(), kWidth, kHeight};
}

// CLUT8 with its palette in two PLTE chunks, the second loading from entry 128 on.
AccurateSample clut8() {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x)
      data.push_back(byte(x + 2 * y));
  }
  return {"clut8.imag",
          ImagBuilder::form()
              .plte(wheel(0, 128), 0)
              .plte(wheel(128, 128), 128)
              .ihdr(ImagHeader::of(4, kWidth, kHeight, kWidth, 8))
              .idat(data)
              .bytes(),
          kWidth, kHeight};
}

AccurateSample clut7() {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x)
      data.push_back(byte(((x + y) & 0x7F) | (x & 1) << 7));
  }
  return {"clut7.imag",
          ImagBuilder::form()
              .plte(wheel(0, 128), 0)
              .ihdr(ImagHeader::of(5, kWidth, kHeight, kWidth, 7))
              .idat(data)
              .bytes(),
          kWidth, kHeight};
}

// CLUT4 or CLUT3: two pixels a byte across a double-resolution line.
AccurateSample nibbles(int model) {
  const int width = 2 * kWidth, colours = model == 6 ? 16 : 8;
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < width; x += 2) {
      const int left = (x / 12 + y / 16) % colours, right = ((x + 1) / 12 + y / 16) % colours;
      data.push_back(byte(left << 4 | right));
    }
  }
  return {model == 6 ? "clut4.imag" : "clut3.imag",
          ImagBuilder::form()
              .plte(smallPalette(colours))
              .ihdr(ImagHeader::of(model, width, kHeight, kWidth, model == 6 ? 4 : 3))
              .idat(data)
              .bytes(),
          width, kHeight};
}

// RL7: a single pixel, a counted run and an end-of-line run on every line.
Bytes rl7Data(int shift) {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    const int run = 8 + (y * 3) % 40;
    data.push_back(byte((y + shift) & 0x7F));
    data.insert(data.end(), {byte(0x80 | ((y / 4 + 40 + shift) & 0x7F)), byte(run)});
    data.insert(data.end(), {byte(0x80 | ((100 - y + shift) & 0x7F)), 0});
  }
  return data;
}

AccurateSample rl7() {
  return {"rl7.imag",
          ImagBuilder::form()
              .plte(wheel(0, 128), 0)
              .ihdr(ImagHeader::of(8, kWidth, kHeight, 0, 7))
              .idat(rl7Data(0))
              .bytes(),
          kWidth, kHeight};
}

AccurateSample rl3() {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    const int a = y / 8, b = (y / 8 + 3) % 8;
    data.push_back(byte(a << 4 | b));                                       // one pair
    data.insert(data.end(), {byte(0x80 | b << 4 | a), byte(10 + y % 30)});  // counted pairs
    data.insert(data.end(), {byte(0x80 | (7 - a) << 4 | (7 - a)), 0});      // to the end
  }
  return {"rl3.imag",
          ImagBuilder::form()
              .plte(smallPalette(8))
              .ihdr(ImagHeader::of(9, 2 * kWidth, kHeight, 0, 3))
              .idat(data)
              .bytes(),
          2 * kWidth, kHeight};
}

// A CAT of two pictures; the accurate profile shows the first, --all style callers both.
AccurateSample catOfTwo() {
  ImagBuilder file = ImagBuilder::cat();
  file.plte(wheel(0, 128), 0).ihdr(ImagHeader::of(8, kWidth, kHeight, 0, 7)).idat(rl7Data(0));
  file.raw({'F', 'O', 'R', 'M', 0x80, 0, 0, 0, 'I', 'M', 'A', 'G'});  // length "unknown"
  file.plte(wheel(0, 128), 0).ihdr(ImagHeader::of(8, kWidth, kHeight, 0, 7)).idat(rl7Data(64));
  return {"cat-two-pictures.imag", file.bytes(), kWidth, kHeight};
}

// An odd-length USER chunk written without its pad byte, as one widely used writer did.
AccurateSample unpaddedUser() {
  AccurateSample sample = clut8();
  ImagBuilder file = ImagBuilder::form();
  file.chunk("USER", {'n', 'o', 't', 'e', 's'});
  file.raw(Bytes(sample.bytes.begin() + 12, sample.bytes.end()));
  sample.name = "unpadded-user.imag";
  sample.bytes = file.bytes();
  return sample;
}

}  // namespace

std::vector<AccurateSample> accurateSamples() {
  return {rgb888(),   rgb555(),   dyuv(false), dyuv(true), clut8(),    clut7(),
          nibbles(6), nibbles(7), rl7(),       rl3(),      catOfTwo(), unpaddedUser()};
}
