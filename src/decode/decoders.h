#pragma once

// The picture models of the classic decoding, and how each IDAT body is laid out.
//
// Every decoder reads its chunk's data as one stream from the chunk's first data byte on, through
// the end of the file if the rows ask for more than the chunk holds (the chunk length bounds
// nothing). It writes `h` rows, each starting 1152 bytes below the last, and leaves the cursor
// exactly h * 1152 bytes further on. When the file ends before the picture does, the decoder stops
// that chunk (the cursor still moves on by all h rows).
//
// DYUV (model 3), one byte per pixel, rows of `bpr` bytes back to back:
//
//   bit  7 6 5 4 | 3 2 1 0
//        U or V  |   Y        step index into dyuvytable; U on even pixels, V on odd ones
//
//   Y, U, V start every row at ystrt, ustrt, vstrt and add their steps modulo 256.
//   blue = Y + U - 128, green = Y, red = Y + V - 128, each modulo 256 (no clamping), then the
//   colour-artefact suppression (suppression.h) when the threshold is not 0.
//
// CLUT8, CLUT7 (models 4, 5): one byte per pixel, all 8 bits index the palette.
// CLUT4 (model 6): one byte per pixel, the high nibble indexes the palette, the low one is unused.
//
// RL7 (model 8), a stream of codes; a row ends at the first code boundary with bpr pixels drawn:
//
//   0nnnnnnn              one pixel of entry n
//   1nnnnnnn kkkkkkkk     k pixels of entry n (k = 0: up to the end of the row)
//
// RL3 (model 9), one byte per code:
//
//   0 nnn xxxx            one pixel of entry n (x ignored)
//   1 nnn kkkk            k pixels of entry n (k = 0: up to the end of the row)
//
// A counted run is drawn whole even past the row's end, running on into the row's memory to the
// right (and below, past pixel 383); the next row starts 1152 bytes below the last row's start.
//
// A palette pixel of entry n is the three bytes cdiplte[3n+2], cdiplte[3n+1], cdiplte[3n]: the
// palette holds red, green, blue as the PLTE chunk does, the frame blue, green, red.

#include <array>
#include <cstdint>

#include "byteview.h"
#include "framewriter.h"

// The IHDR values a decoder works to, as the last IHDR chunk set them.
struct ClassicHeader {
  int bpr = 0;   // line size: pixels (and bytes, models 3-6) per row
  int h = 0;     // rows
  int type = 0;  // image model; 0 (no IHDR yet) has no decoder
  std::uint8_t ystrt = 0;
  std::uint8_t ustrt = 0;
  std::uint8_t vstrt = 0;
};

inline constexpr int kPaletteEntries = 256;
using Palette = std::array<std::uint8_t, 3 * kPaletteEntries>;  // cdiplte: red, green, blue

inline constexpr std::array<std::uint8_t, 16> dyuvytable = {0,   1,   4,   9,   16,  27,  44,  79,
                                                            128, 177, 212, 229, 240, 247, 252, 255};

// data: the file copy from the chunk's first data byte to the end of the file.
void decodeDyuv(ByteView data, const ClassicHeader& header, int threshold, FrameWriter& out);
void decodeClut8(ByteView data, const ClassicHeader& header, const Palette& cdiplte,
                 FrameWriter& out);
void decodeClut4(ByteView data, const ClassicHeader& header, const Palette& cdiplte,
                 FrameWriter& out);
void decodeRl7(ByteView data, const ClassicHeader& header, const Palette& cdiplte,
               FrameWriter& out);
void decodeRl3(ByteView data, const ClassicHeader& header, const Palette& cdiplte,
               FrameWriter& out);
