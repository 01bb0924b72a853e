#pragma once

// Writes CD-i IFF picture files byte by byte: for tests, fuzzing seeds and the bundled samples.
// It writes what it is told, bad lengths included, so tests can build broken files on purpose.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
  std::uint8_t r, g, b;
};

struct ImagHeader {
  std::uint16_t width = 0;
  std::uint16_t lineSize = 0;
  std::uint16_t height = 0;
  std::uint16_t model = 0;
  std::uint16_t depth = 8;
  std::uint8_t dyuvKind = 0;
  std::uint8_t y = 16, u = 128, v = 128;

  // A header for `model`: `width` x `height` pixels, lines of `lineSize` bytes (of `width`
  // when left out), `depth` bits per pixel.
  static ImagHeader of(int model, int width, int height, int lineSize = -1, int depth = 8);
};

class ImagBuilder {
 public:
  // "FORM" or "CAT " container; a CAT gets the 12-byte header of its first FORM item.
  static ImagBuilder form();
  static ImagBuilder cat();

  ImagBuilder& chunk(std::string_view id, const Bytes& body);
  // A chunk whose length field says `length`, whatever the body holds.
  ImagBuilder& chunkWithLength(std::string_view id, std::uint32_t length, const Bytes& body);
  ImagBuilder& ihdr(const ImagHeader& header);
  // PLTE loading the colours from entry `first` on: `first` and the colours' count in its first
  // 4 body bytes, then the colours.
  ImagBuilder& plte(const std::vector<Rgb>& colours, int first = 0);
  ImagBuilder& idat(const Bytes& data) { return chunk("IDAT", data); }
  ImagBuilder& raw(const Bytes& bytes);

  // The file, with the container length set to what follows it.
  Bytes bytes() const;

 private:
  explicit ImagBuilder(std::string_view kind);
  Bytes bytes_;
};

void appendU16(Bytes& out, std::uint32_t value);
void appendU32(Bytes& out, std::uint32_t value);
