#pragma once

// Bounded access for the accurate profile: a sub-range of the file copy, a byte stream that
// stops where its bytes end, and a line writer that stops at the picture's width.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>

#include "accurate.h"
#include "byteview.h"

struct Rgb8 {
  std::uint8_t r = 0, g = 0, b = 0;
};

// The n bytes of view at pos, cut to those that exist (empty when pos lies outside).
inline ByteView sliceOf(ByteView view, std::int64_t pos, std::int64_t n) {
  const std::int64_t have = std::min(view.available(pos), std::max<std::int64_t>(n, 0));
  if (have == 0) return ByteView();
  return ByteView(std::span<const std::uint8_t>(view.data() + pos, static_cast<std::size_t>(have)));
}

// Reads a byte view front to back; next() gives nothing once the bytes are used up.
class ByteStream {
 public:
  explicit ByteStream(ByteView bytes) : bytes_(bytes) {}
  std::optional<std::uint8_t> next() {
    if (pos_ >= bytes_.size()) return std::nullopt;
    return bytes_[pos_++];
  }

 private:
  ByteView bytes_;
  std::int64_t pos_ = 0;
};

// Writes the pixels of one line left to right; pixels past the width are dropped.
class LineWriter {
 public:
  LineWriter(std::uint8_t* row, int width) : row_(row), width_(width) {}
  void put(Rgb8 c) {
    if (x_ >= width_) return;
    std::uint8_t* p = row_ + 3 * static_cast<std::int64_t>(x_++);
    p[0] = c.r, p[1] = c.g, p[2] = c.b;
  }
  void repeat(Rgb8 c, std::int64_t n) {
    for (; n > 0 && x_ < width_; --n)
      put(c);
  }
  int left() const { return width_ - x_; }
  bool full() const { return x_ >= width_; }

 private:
  std::uint8_t* row_;
  int width_;
  int x_ = 0;
};

// The lines of a picture whose pixel buffer holds width x height RGB pixels.
class PictureWriter {
 public:
  explicit PictureWriter(AccuratePicture& picture) : picture_(picture) {}
  int width() const { return picture_.width; }
  int height() const { return picture_.height; }
  // Line y, for 0 <= y < height.
  LineWriter line(int y) {
    return LineWriter(picture_.rgb.data() + static_cast<std::size_t>(y) * picture_.rowBytes(),
                      picture_.width);
  }

 private:
  AccuratePicture& picture_;
};
