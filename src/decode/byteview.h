#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// A read-only window on the file copy. Every read of file data goes through it, and positions
// are 64-bit, so a length from a header can never wrap a position or reach past the copy.
class ByteView {
 public:
  ByteView() = default;
  explicit ByteView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::int64_t size() const { return static_cast<std::int64_t>(bytes_.size()); }
  const std::uint8_t* data() const { return bytes_.data(); }

  // Whether n bytes stand at pos.
  bool has(std::int64_t pos, std::int64_t n) const {
    return pos >= 0 && n >= 0 && pos <= size() && n <= size() - pos;
  }
  // Bytes from pos to the end; 0 when pos lies outside.
  std::int64_t available(std::int64_t pos) const {
    return pos >= 0 && pos < size() ? size() - pos : 0;
  }
  // The bytes from pos to the end; empty when pos lies outside.
  ByteView tail(std::int64_t pos) const {
    return pos >= 0 && pos < size() ? ByteView(bytes_.subspan(static_cast<std::size_t>(pos)))
                                    : ByteView();
  }
  // The byte at pos; pos must satisfy has(pos, 1).
  std::uint8_t operator[](std::int64_t pos) const { return bytes_[static_cast<std::size_t>(pos)]; }

 private:
  std::span<const std::uint8_t> bytes_;
};
