#pragma once

// The accurate decoding profile: pictures as CD-i authoring tools wrote them, at their own size.
// Opt-in; the viewer's classic decoding (decode.h) is the default and does not depend on this.
//
// Container: "FORM" len "IMAG" chunks..., or "CAT " len "IMAG" holding "FORM" len "IMAG" items.
// Container lengths are ignored (real files have them short, or 0x80000000 for "unknown"): the
// chunks are walked to the end of the file, and a "FORM" met on the way starts the next picture.
//
//   chunk: +0 identifier  +4 body length L  +8 body  [+8+L pad byte when L is odd]
//
// After an odd body the next chunk is looked for past the pad byte; when no identifier (four
// printable ASCII bytes) stands there, at 8 + L instead, since one writer counted the pad in L.
//
//   IHDR (14):  +0 width  +2 line size  +4 height  +6 model  +8 depth  +10 DYUV kind
//               +11 start Y  +12 start U  +13 start V                     (16-bit fields)
//   IPAR (22):  placement on the page, pixel aspect, hot spot, transparent and mask colours;
//               nothing shown depends on it, so it is passed over like any other chunk
//   PLTE:       +0 first entry  +2 count  +4 count x (R, G, B); entries below the first keep
//               their colour, at most 256 - first entries load; a later PLTE loads over it
//   YUVS:       height x (Y, U, V): the start values of each line, for DYUV kind 1
//   IDAT:       the pixels of the model; the first IDAT after IHDR is the picture
//
// Pixel models (line i begins at byte i x line size of IDAT for models 1-7):
//
//   1 RGB888  R G B per pixel
//   2 RGB555  t rrrrr ggggg bbbbb (t: transparency, ignored; each channel shown shifted left 3).
//             The upper bytes of all lines come first, height x line size bytes, then the lower
//             bytes the same way. No sample file confirms this layout; it is the one a consistent
//             writer would produce.
//   3 DYUV    pairs of bytes  uuuu yyyy | vvvv yyyy  (steps into the 16-entry delta table, added
//             modulo 256; Y, U, V restart every line). Both pixels of a pair show the pair's U
//             and V; with interpolation the first one shows the mean of the last pair's and this
//             pair's. R = Y + 351(V-128)/256, G = Y - 86(U-128)/256 - 179(V-128)/256,
//             B = Y + 444(U-128)/256, each division truncated toward zero, each channel clamped
//             to 0..255.
//   4 CLUT8   one byte, palette index 0-255
//   5 CLUT7   one byte, index = byte AND 0x7F
//   6 CLUT4   hhhh llll: two pixels, the high nibble on the left            (double resolution)
//   7 CLUT3   as CLUT4 with each index AND 7; inferred, no sample seen      (double resolution)
//   8 RL7     0nnnnnnn: one pixel of entry n
//             1nnnnnnn kkkkkkkk: k pixels of entry n, k = 0 to the end of the line
//   9 RL3     0aaaxbbb: the pair a, b           1aaaxbbb kkkkkkkk: a, b repeated k times,
//             k = 0 to the end of the line                                  (double resolution)
//  10         palette only, no picture
//
// The run-length models are one stream through all lines; a line ends with `width` pixels or an
// end-of-line run, and a run never spills into the next line. Whatever the data does not reach
// (a short line, missing lines, a short IDAT) stays black.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "status.h"

// 64 Mpixels (8192 x 8192, 192 MiB of RGB): several times the largest CD-i scrolling picture,
// yet a size every desktop can hold. A header asking for more is refused before any allocation.
inline constexpr std::uint64_t kAccurateMaxPixels = std::uint64_t{64} << 20;

struct AccurateOptions {
  bool interpolateChroma = false;  // DYUV: first pixel of a pair takes the mean chroma
  std::uint64_t maxPixels = kAccurateMaxPixels;
  int pictureIndex = 0;  // which picture of a CAT (0: the first)
};

// A decoded picture: width x height pixels, 3 bytes each in the order red, green, blue, rows top
// to bottom with no gap between them (a row is 3 x width bytes).
struct AccuratePicture {
  int width = 0;
  int height = 0;
  int model = 0;
  bool doubleResolution = false;  // models 6, 7, 9: pixels half as wide as the others on screen
  bool complete = false;          // false when the data ended before the last pixel
  std::vector<std::uint8_t> rgb;

  std::size_t rowBytes() const { return static_cast<std::size_t>(width) * 3; }
};

// Decodes picture options.pictureIndex of the file in memory into `out` (replaced whole).
// Reads only file[0 .. size). Fails with tooShort, notCdiImage, noPicture (no such picture, no
// IHDR, or a palette-only model), badHeader (IHDR shorter than 14 bytes, width or height 0),
// unknownModel, pictureTooLarge (width x height over options.maxPixels) or outOfMemory; `out` is
// then empty. A picture whose data ends early is ok, black where the data did not reach, with
// out.complete false.
DecodeStatus decodeAccurate(std::span<const std::uint8_t> file, const AccurateOptions& options,
                            AccuratePicture& out);

// What decodeAccurate would decode, without decoding it: the header of the picture
// options.pictureIndex and where its palette and data stand.
struct AccurateSummary {
  int pictures = 0;  // in the file: FORM items of a CAT, 1 for a FORM
  int width = 0, lineSize = 0, height = 0, model = 0;
  int paletteChunks = 0;                   // PLTE chunks before the data
  int paletteFirst = 0, paletteCount = 0;  // of the last of them: first entry and colours
  bool lineStarts = false;                 // a YUVS chunk: DYUV lines start apart
  bool hasData = false;                    // an IDAT after the IHDR
  std::int64_t dataBytes = 0;              // its body, cut where the file ends
  std::span<const std::uint8_t> data;      // that body, inside the file
};

// Fails exactly where decodeAccurate fails before decoding (every reason but outOfMemory). When
// it failed after reading a whole IHDR (a palette-only picture, an unknown model, a size of 0 or
// over the cap), `out` still describes the picture; otherwise it is empty. Reads only
// file[0 .. size).
DecodeStatus describeAccurate(std::span<const std::uint8_t> file, const AccurateOptions& options,
                              AccurateSummary& out);

// decodeAccurate on the file at path, read whole as the classic decoding reads it (regular files
// up to kMaxFileBytes); the read failures of decodeFile come first.
DecodeStatus decodeAccurateFile(const char* path, const AccurateOptions& options,
                                AccuratePicture& out);

// The number of pictures in the file (FORM items of a CAT; 1 for a FORM), 0 when the container is
// not a CD-i image.
int accuratePictureCount(std::span<const std::uint8_t> file);

// The picture as a CD-i screen showed it beside others: normal-resolution pictures are widened
// to twice their width, each pixel shown twice, so that they line up with double-resolution
// ones (which come back unchanged). Nothing is lost either way. The caller's limit on width x
// height still holds: a picture that would pass maxPixels is returned unchanged with false.
bool widenToScreenAspect(AccuratePicture& picture, std::uint64_t maxPixels = kAccurateMaxPixels);
