#pragma once

// Real-time files as a disc holds them: sectors with a subheader each, built one at a time.

#include <algorithm>
#include <cstdint>

#include "imagbuilder.h"

struct Subheader {
  std::uint8_t file = 1, channel = 0, submode = 0, coding = 0;
};

inline constexpr std::uint8_t kEndOfRecord = 0x01, kVideoSector = 0x02, kForm2Sector = 0x20;

// Builds a 2336-byte (or, with `raw`, 2352-byte mode 2) sector image. Error codes stay zero.
class SectorImage {
 public:
  explicit SectorImage(bool raw = false) : raw_(raw) {}

  // One sector; `second` is the subheader's second copy when it is to disagree with the first.
  SectorImage& sector(const Subheader& first, const Bytes& data,
                      const Subheader* second = nullptr) {
    const std::size_t start = bytes_.size();
    bytes_.resize(start + (raw_ ? 2352 : 2336), 0);
    std::uint8_t* at = bytes_.data() + start;
    if (raw_) {
      std::fill(at + 1, at + 11, 0xFF);
      at[15] = 2;
      at += 16;
    }
    const Subheader copies[] = {first, second != nullptr ? *second : first};
    for (const Subheader& copy : copies) {
      *at++ = copy.file, *at++ = copy.channel, *at++ = copy.submode, *at++ = copy.coding;
    }
    const std::size_t room = (first.submode & kForm2Sector) != 0 ? 2324 : 2048;
    std::copy_n(data.begin(), std::min(room, data.size()), at);
    return *this;
  }

  // `data` as one record of video sectors of `form2` size, the last with end of record.
  SectorImage& record(const Bytes& data, std::uint8_t coding, std::uint8_t channel = 0,
                      bool form2 = true) {
    const std::size_t room = form2 ? 2324 : 2048;
    for (std::size_t at = 0; at < data.size(); at += room) {
      const bool last = at + room >= data.size();
      const auto submode = static_cast<std::uint8_t>(kVideoSector | (form2 ? kForm2Sector : 0) |
                                                     (last ? kEndOfRecord : 0));
      const auto end = data.begin() + std::ptrdiff_t(std::min(data.size(), at + room));
      sector({1, channel, submode, coding}, Bytes(data.begin() + std::ptrdiff_t(at), end));
    }
    return *this;
  }

  // Where the data of sector `n` starts in the image.
  std::int64_t dataOffset(std::int64_t n) const {
    return n * (raw_ ? 2352 : 2336) + (raw_ ? 24 : 8);
  }
  std::int64_t sectors() const { return std::int64_t(bytes_.size()) / (raw_ ? 2352 : 2336); }
  const Bytes& bytes() const { return bytes_; }

 private:
  bool raw_;
  Bytes bytes_;
};
