#pragma once

// Decoding CD-i IFF pictures into the viewer's frame.
//
// The frame: 384 pixels x 280 shown rows, 3 bytes a pixel in the order blue, green, red, rows
// top to bottom and 1152 bytes apart. The block holds 284 rows (327,168 bytes): the last 4 are
// never cleared and never shown, and take the run-on of an over-long last row.
//
//   byte 0         1152        2304                 322560       327168
//   | row 0 ...    | row 1 ... | ...   | row 279 ...  | rows 280-283 |
//   | B G R B G R ...
//
// A file is one CD-i IFF container followed by chunks (all numbers big-endian):
//
//   +0  "FORM" or "CAT "     +4  container length (ignored)     +8  "IMAG"
//   +12 first chunk (FORM)   or  +12 header of the CAT's first item, +24 first chunk (CAT)
//
//   chunk: +0 identifier (4 ASCII bytes)  +4 body length L  +8 L bytes of body, no pad byte
//
// chunkwalk.h describes how the chunks are read, decoders.h what each picture model holds.

#include <cstddef>
#include <cstdint>
#include <span>

#include "status.h"

inline constexpr int kFrameWidth = 384;           // pixels in a shown row
inline constexpr int kFrameHeight = 280;          // shown rows
inline constexpr int kFrameRows = 284;            // rows in the block
inline constexpr std::size_t kFramePitch = 1152;  // bytes from one row's start to the next
inline constexpr std::size_t kFrameBytes = kFramePitch * kFrameRows;    // 327,168
inline constexpr std::size_t kShownBytes = kFramePitch * kFrameHeight;  // 322,560, cleared per call

// No CD-i picture comes near this; a larger file is refused rather than read into memory.
inline constexpr std::int64_t kMaxFileBytes = std::int64_t{64} << 20;

// The frame buffer: null until the first decode that gets past reading its file allocates it
// (kFrameBytes bytes, with new[]). It then lives until releaseFrameBuffer().
extern unsigned char* dyuvasbmpmem;

// Threshold of the DYUV colour-artefact suppression; 0 turns it off. 0 at start; the viewer sets
// it to kViewerThreshold when its window is created.
extern int dyuverrc;

// The suppression the viewer shows classic DYUV with, and so the converter and png2imag too.
inline constexpr int kViewerThreshold = 220;

// The part of the shown 384 x 280 frame that the last decode wrote pixels to. Rows always start
// at the left edge, so it is a rectangle anchored at the top-left; 0 x 0 when nothing was drawn.
struct FrameCoverage {
  int width = 0;
  int height = 0;
};

// Reads the file at dname whole, makes sure the frame buffer exists, clears its 280 shown rows,
// checks the container and decodes every IDAT chunk of a known model into the frame.
// Returns 0 when the container was accepted (whatever the chunks held), -1 on any failure.
// On failure before the clear (open, size, read, memory) the frame keeps its previous picture;
// a refused container leaves it black.
int decodeDYUV(const char* dname);

// decodeDYUV with the reason for a failure, and what the picture covered (may be null).
DecodeStatus decodeFile(const char* dname, FrameCoverage* coverage = nullptr);

// Everything decodeDYUV does after the file is in memory, into a frame the caller owns: clears
// its first kShownBytes, tests the container, walks the chunks with `threshold` as the DYUV
// suppression threshold. Reads only file[0 .. size) and writes only frame[0 .. kFrameBytes).
DecodeStatus decodeImageMemory(std::span<const std::uint8_t> file,
                               std::span<std::uint8_t, kFrameBytes> frame, int threshold,
                               FrameCoverage* coverage = nullptr);

// Allocates the frame buffer, zeroed, unless it exists: ok, or outOfMemory.
DecodeStatus allocateFrameBuffer();

// Frees the frame buffer if it exists and sets dyuvasbmpmem back to null.
void releaseFrameBuffer();
