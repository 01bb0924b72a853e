#pragma once

// Dumps and raw CD images built around given data, as ROM dumps and disc rippers write them.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "imagbuilder.h"

enum class SectorFormat { mode1, mode2Form1, mode2Form2, headerlessForm1, headerlessForm2 };

struct SectorShape {
  std::int64_t bytes;     // a whole sector
  std::int64_t dataAt;    // where its user data begins
  std::int64_t dataSize;  // user data bytes
};

inline SectorShape shapeOf(SectorFormat format) {
  // In the order of SectorFormat.
  constexpr SectorShape kShapes[] = {
      {2352, 16, 2048}, {2352, 24, 2048}, {2352, 24, 2324}, {2336, 8, 2048}, {2336, 8, 2324}};
  return kShapes[static_cast<int>(format)];
}

// The image-file offset of byte `at` of the user data.
inline std::int64_t imageOffsetOf(SectorFormat format, std::int64_t at) {
  const SectorShape shape = shapeOf(format);
  return at / shape.dataSize * shape.bytes + shape.dataAt + at % shape.dataSize;
}

// `data` cut into sectors of `format`; the last one is filled with zeros. Sync, address (in BCD,
// from minute 12: a track from within a disc), mode and subheader are written, every other
// sector ending a record as small files do; error codes are left zero, as no reader of user data
// checks them.
inline Bytes discImage(const Bytes& data, SectorFormat format) {
  const SectorShape shape = shapeOf(format);
  const bool raw = shape.bytes == 2352;
  const bool form2 = format == SectorFormat::mode2Form2 || format == SectorFormat::headerlessForm2;
  Bytes image;
  for (std::size_t at = 0, sector = 0; at < data.size(); at += shape.dataSize, ++sector) {
    Bytes one(static_cast<std::size_t>(shape.bytes), 0);
    if (raw) {
      std::fill(one.begin() + 1, one.begin() + 11, 0xFF);
      const auto bcd = [](std::size_t n) {
        return static_cast<std::uint8_t>(n / 10 * 16 + n % 10);
      };
      const std::size_t address = sector + 12 * 60 * 75;
      one[12] = bcd(address / 4500), one[13] = bcd(address / 75 % 60), one[14] = bcd(address % 75);
      one[15] = format == SectorFormat::mode1 ? 1 : 2;
    }
    if (format != SectorFormat::mode1) {
      const std::size_t sub = raw ? 16 : 0;
      const std::uint8_t header[4] = {
          1, 0, static_cast<std::uint8_t>((form2 ? 0x28 : 0x08) | sector % 2), 0};
      std::copy(header, header + 4, one.begin() + sub);
      std::copy(header, header + 4, one.begin() + sub + 4);
    }
    const std::size_t n = std::min<std::size_t>(shape.dataSize, data.size() - at);
    std::copy(data.begin() + at, data.begin() + at + n, one.begin() + shape.dataAt);
    image.insert(image.end(), one.begin(), one.end());
  }
  return image;
}

inline Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

// `bytes` as a ROM dump read from 16-bit chips byte by byte stores them: the two bytes of every
// word exchanged, an odd last byte left in place.
inline Bytes swapWords(Bytes bytes) {
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    std::swap(bytes[i], bytes[i + 1]);
  return bytes;
}

// Sets the length field of the container that starts at `at`, as a dump may have it wrong.
inline void setContainerLength(Bytes& file, std::size_t at, std::uint32_t length) {
  for (int i = 0; i < 4; ++i)
    file[at + 4 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
}
