#pragma once

// How far a picture's chunks reach from its container header, container lengths aside.

#include <cstdint>

#include "byteview.h"
#include "container.h"

// Pictures hold a handful of chunks, a CAT a handful per item. The walk is cut short after this
// many because every header met is walked from in turn: in a file of tiny chunks, each holding
// a header, each walk would otherwise run on to the end of the file.
inline constexpr int kScanPictureChunks = 1024;

struct Reach {
  std::int64_t extent = 0;  // bytes from the header to the end of the picture's last chunk
  std::int64_t wanted = 0;  // when not 0: read this many bytes from the header and ask again
};

// Walks the chunks of the picture whose `kind` header stands at bytes[0]. `whole` says that no
// more bytes follow: a chunk past the end is then cut there (an IDAT) or left out (any other).
// Chunks follow one another as in the accurate profile (an odd body's pad byte is skipped when
// an identifier stands after it); the walk ends at an identifier that is not four printable
// characters, at a chunk that cannot end within kScanPictureBytes, after kScanPictureChunks
// chunks (the item headers of a CAT count too), at a "CAT " of type IMAG,
// and, in a FORM, at a "FORM" of type IMAG. A CAT steps into its FORM items, except one that
// begins exactly where the CAT's length says it ends: that is the next file.
Reach pictureReach(ByteView bytes, ContainerKind kind, bool whole);
