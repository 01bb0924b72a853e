#include "accuratesamples.h"

#include <cstdlib>

#include "pictureencoder.h"
#include "testchart.h"

namespace {

constexpr int kWidth = 96, kHeight = 64;  // normal resolution; double-resolution is 192 wide

std::uint8_t byte(int v) {
  return static_cast<std::uint8_t>(v);
}

// kHeight lines of `lineSize` bytes, byte i of line y being at(i, y).
template <class At>
Bytes lines(int lineSize, At at) {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    for (int i = 0; i < lineSize; ++i)
      data.push_back(byte(at(i, y)));
  }
  return data;
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

// DYUV by its own, independent model: luma and each chroma value step separately towards a YUV
// gradient (luma across, chroma down), each to the nearest value the delta table reaches.
struct Yuv {
  int y, u, v;
};

Yuv target(int x, int y) {
  return {40 + x * 2, 128 + (y - 32) * 3, 128 + (x - 48) * 2};
}

constexpr int kSteps[16] = {0, 1, 4, 9, 16, 27, 44, 79, 128, 177, 212, 229, 240, 247, 252, 255};

// Moves `from` by the step that brings it closest to `to`, modulo 256; returns the step.
int step(int& from, int to) {
  int best = 0;
  for (int k = 1; k < 16; ++k) {
    if (std::abs(((from + kSteps[k]) & 255) - to) < std::abs(((from + kSteps[best]) & 255) - to))
      best = k;
  }
  from = (from + kSteps[best]) & 255;
  return best;
}

Bytes dyuvData(bool perLineStarts) {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    Yuv c = perLineStarts ? target(0, y) : Yuv{16, 128, 128};
    for (int x = 0; x < kWidth; x += 2) {
      const int du = step(c.u, target(x, y).u), dy0 = step(c.y, target(x, y).y);
      const int dv = step(c.v, target(x + 1, y).v), dy1 = step(c.y, target(x + 1, y).y);
      data.insert(data.end(), {byte(du << 4 | dy0), byte(dv << 4 | dy1)});
    }
  }
  return data;
}

// RL7: a single pixel, a counted run and an end-of-line run on every line.
Bytes rl7Data(int shift) {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    data.insert(data.end(), {byte((y + shift) & 0x7F), byte(0x80 | ((y / 4 + 40 + shift) & 0x7F)),
                             byte(8 + (y * 3) % 40), byte(0x80 | ((100 - y + shift) & 0x7F)), 0});
  }
  return data;
}

// RL3: one pair, counted pairs, pairs to the end of the line.
Bytes rl3Data() {
  Bytes data;
  for (int y = 0; y < kHeight; ++y) {
    const int a = y / 8, b = (y / 8 + 3) % 8;
    data.insert(data.end(), {byte(a << 4 | b), byte(0x80 | b << 4 | a), byte(10 + y % 30),
                             byte(0x80 | (7 - a) << 4 | (7 - a)), 0});
  }
  return data;
}

// CLUT4 or CLUT3: two pixels a byte across a double-resolution line, in bands of `colours`.
Bytes nibbles(int colours) {
  return lines(kWidth, [colours](int i, int y) {
    return (2 * i / 12 + y / 16) % colours << 4 | ((2 * i + 1) / 12 + y / 16) % colours;
  });
}

struct Palette {
  std::vector<Rgb> colours;
  int first;
};

// A FORM of PLTE chunks, IHDR and one IDAT.
AccurateSample picture(const char* name, std::vector<Palette> palettes, ImagHeader header,
                       const Bytes& data) {
  ImagBuilder file = ImagBuilder::form();
  for (const Palette& palette : palettes)
    file.plte(palette.colours, palette.first);
  return {name, file.ihdr(header).idat(data).bytes(), header.width, kHeight};
}

AccurateSample rgb555() {
  const RgbPicture image = draw(kWidth, kHeight, [](int x, int y) {
    return Rgb{byte(x * 31 / 95 << 3), byte(y / 2 << 3), 128};
  });
  return {"rgb555.imag",
          encodePicture(image, nullptr, *modelNamed("rgb555"), PictureLayout::accurate).file,
          kWidth, kHeight};
}

AccurateSample dyuvWithLineStarts() {
  ImagHeader header = ImagHeader::of(3, kWidth, kHeight, kWidth, 8);
  header.dyuvKind = 1;
  const Bytes starts = lines(3, [](int i, int y) {
    const Yuv t = target(0, y);
    return i == 0 ? t.y : i == 1 ? t.u : t.v;
  });
  return {"dyuv-yuvs.imag",
          ImagBuilder::form().ihdr(header).chunk("YUVS", starts).idat(dyuvData(true)).bytes(),
          kWidth, kHeight};
}

// A CAT of two pictures; the accurate profile shows the first, --all style callers both.
AccurateSample catOfTwo() {
  const ImagHeader header = ImagHeader::of(8, kWidth, kHeight, 0, 7);
  ImagBuilder file = ImagBuilder::cat();
  file.plte(wheel(0, 128)).ihdr(header).idat(rl7Data(0));
  file.raw({'F', 'O', 'R', 'M', 0x80, 0, 0, 0, 'I', 'M', 'A', 'G'});  // length "unknown"
  file.plte(wheel(0, 128)).ihdr(header).idat(rl7Data(64));
  return {"cat-two-pictures.imag", file.bytes(), kWidth, kHeight};
}

// An odd-length USER chunk written without its pad byte, as one widely used writer did.
AccurateSample unpaddedUser(const AccurateSample& clut8) {
  ImagBuilder file = ImagBuilder::form();
  file.chunk("USER", {'n', 'o', 't', 'e', 's'})
      .raw(Bytes(clut8.bytes.begin() + 12, clut8.bytes.end()));
  return {"unpadded-user.imag", file.bytes(), kWidth, kHeight};
}

}  // namespace

std::vector<AccurateSample> accurateSamples() {
  const auto header = [](int model, int width, int lineSize, int depth) {
    return ImagHeader::of(model, width, kHeight, lineSize, depth);
  };
  const AccurateSample clut8 =  // its palette in two PLTE chunks, the second from entry 128 on
      picture("clut8.imag", {{wheel(0, 128), 0}, {wheel(128, 128), 128}},
              header(4, kWidth, kWidth, 8), lines(kWidth, [](int x, int y) { return x + 2 * y; }));
  return {
      picture("rgb888.imag", {}, header(1, kWidth, 3 * kWidth + 3, 24),
              lines(3 * kWidth + 3,  // one pixel of padding per line
                    [](int i, int y) {
                      const int x = i / 3;
                      return x == kWidth ? 0 : i % 3 == 0 ? x * 255 / 95 : i % 3 == 1 ? y * 4 : 128;
                    })),
      rgb555(),
      picture("dyuv.imag", {}, header(3, kWidth, kWidth, 8), dyuvData(false)),
      dyuvWithLineStarts(),
      clut8,
      picture("clut7.imag", {{wheel(0, 128), 0}}, header(5, kWidth, kWidth, 7),
              lines(kWidth, [](int x, int y) { return ((x + y) & 0x7F) | (x & 1) << 7; })),
      picture("clut4.imag", {{smallPalette(16), 0}}, header(6, 2 * kWidth, kWidth, 4), nibbles(16)),
      picture("clut3.imag", {{smallPalette(8), 0}}, header(7, 2 * kWidth, kWidth, 3), nibbles(8)),
      picture("rl7.imag", {{wheel(0, 128), 0}}, header(8, kWidth, 0, 7), rl7Data(0)),
      picture("rl3.imag", {{smallPalette(8), 0}}, header(9, 2 * kWidth, 0, 3), rl3Data()),
      catOfTwo(),
      unpaddedUser(clut8),
  };
}
