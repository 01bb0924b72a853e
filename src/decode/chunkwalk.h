#pragma once

// The classic chunk walk. From the first chunk to the end of the file (container lengths are
// ignored), each pass looks at the chunk where it stands:
//
//   1. PLTE?  clear the palette, load L - 4 bytes from body offset 4 into entries 0.. (the first
//             4 body bytes are not used); go on at P + 8 + L, or at P + 12 when L < 4
//   2. IHDR?  (where 1 left off) take the header values; go on at P + 8 + L
//   3. IDAT?  (where 2 left off) decode it with the model in force; go on at P + 8 + L,
//             however many bytes the decoder read
//   4. if none of 1-3 matched, pass over the chunk: go on at P + 8 + L
//
// A chunk is PLTE, IHDR or IDAT only when its identifier says so and the most significant byte of
// its length is zero; any other chunk, those included, is passed over by its length. The walk ends
// where fewer than 8 bytes are left or a length carries it to or past the end of the file.
//
// IHDR body (14 bytes, read from the body whatever L says; bytes past the file read as 0):
//
//   +0 width (unused)  +2 line size -> bpr  +4 height -> h  +6 model -> type  +8 depth (unused)
//   +10 (unused)  +11 ystrt  +12 ustrt  +13 vstrt
//
// Models with a decoder: 3 DYUV, 4 CLUT8, 5 CLUT7 (decoded as CLUT8), 6 CLUT4, 8 RL7, 9 RL3.
// Every call starts with a black palette and no model, so an IDAT before any IHDR draws nothing.

#include "byteview.h"
#include "framewriter.h"

// Walks the chunks of an accepted container from `first` on and decodes into `out`.
void walkClassicChunks(ByteView file, std::int64_t first, int threshold, FrameWriter& out);
