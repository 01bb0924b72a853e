#pragma once

// RL3 comes in two codings that share one header: the classic one (a byte a code, a pixel or a
// run of up to 15) and the format's own (a pair of pixels a code, a count byte after a run).
// Nothing in IHDR tells them apart, but a stream written in one coding rarely reads cleanly in
// the other, so the codes themselves are walked: no pixel is drawn.

#include <cstdint>
#include <span>

enum class Rl3Coding { classic, pairs };

// How the codes of `data` fill `height` lines of `width` pixels in a coding.
enum class Rl3Fit {
  endsEarly,  // the data ends before the last line is full
  untidy,     // every line is full, but a run spills over a line's end or data follows
  clean,      // every line filled exactly (a to-the-end run, or runs that add up to the width;
              // in pairs one pixel over at an odd width), nothing but zero bytes after
};

// Reads only inside `data`. A width or height of 0 takes no code.
Rl3Fit rl3Fit(std::span<const std::uint8_t> data, int width, int height, Rl3Coding coding);
