#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "decode.h"

// The write cursor into the frame. Rows start kFramePitch bytes apart from the top-left; a row
// longer than 384 pixels runs on into the memory of the rows below it. Nothing is ever written
// outside the block: a decoder asks once per row how many pixels fit from the row's start
// (room()) and writes freely within that; whatever would land beyond the block is dropped.
//
// The shown rows must read as cleared to black wherever this decode drew nothing. Rather than
// clear them all and then draw over most of them, the writer clears only what no row will
// draw: rows start in increasing order, so whatever lies before a row's start and has been
// neither cleared nor drawn can never be drawn later, and is cleared when the row begins
// (beginRow()); finish() clears what lies past the last row drawn.
class FrameWriter {
 public:
  explicit FrameWriter(std::span<std::uint8_t, kFrameBytes> frame) : frame_(frame.data()) {}

  // Pixels that fit between the current row's start and the end of the block.
  std::int64_t room() const { return todyuvmem < kBlock ? (kBlock - todyuvmem) / 3 : 0; }

  // The current row's first byte, once what lies before it is settled; only while room() > 0.
  std::uint8_t* beginRow() {
    clearUpTo(todyuvmem);
    return frame_ + todyuvmem;
  }

  // Ends the current row, of which `written` pixels were stored from its start (all of them
  // after beginRow()), and moves to the next row.
  void endRow(std::int64_t written) {
    if (written > 0) {
      settled_ = std::max(settled_, todyuvmem + 3 * written);
      note(written);
    }
    todyuvmem += kPitch;
  }
  // Moves on `rows` rows without writing: what a decoder does with rows it cannot draw.
  void skipRows(std::int64_t rows) { todyuvmem += rows * kPitch; }

  // Clears whatever of the shown rows this decode has not drawn. Call once, after the walk.
  void finish() { clearUpTo(kShown); }

  FrameCoverage coverage() const { return coverage_; }

  // Start of the current row, in bytes from the frame's first byte. It only grows, and may
  // lie far beyond the block (many rows, many IDAT chunks); 64 bits cannot overflow here.
  std::int64_t todyuvmem = 0;

 private:
  static constexpr std::int64_t kBlock = static_cast<std::int64_t>(kFrameBytes);
  static constexpr std::int64_t kShown = static_cast<std::int64_t>(kShownBytes);
  static constexpr std::int64_t kPitch = static_cast<std::int64_t>(kFramePitch);

  void clearUpTo(std::int64_t end) {
    end = std::min(end, kShown);  // the hidden rows are never cleared
    if (end > settled_) {
      std::memset(frame_ + settled_, 0, static_cast<std::size_t>(end - settled_));
      settled_ = end;
    }
  }

  void note(std::int64_t written) {
    const std::int64_t firstRow = todyuvmem / kPitch;
    if (firstRow >= kFrameHeight) return;
    const std::int64_t lastRow = firstRow + (written - 1) / kFrameWidth;
    const std::int64_t width = written >= kFrameWidth ? kFrameWidth : written;
    coverage_.width = std::max(coverage_.width, static_cast<int>(width));
    coverage_.height = std::max(
        coverage_.height, static_cast<int>(std::min<std::int64_t>(lastRow + 1, kFrameHeight)));
  }

  std::uint8_t* frame_;
  std::int64_t settled_ = 0;  // every byte before it is cleared or drawn by this decode
  FrameCoverage coverage_;
};
