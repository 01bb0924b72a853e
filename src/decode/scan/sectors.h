#pragma once

// Raw CD images: the sectors as the disc holds them, from which the files' bytes (the user data)
// are taken and joined.
//
//   2352-byte sector:  +0 sync 00 FF x10 00   +12 address (3)   +15 mode
//     mode 1:          +16 user data (2048)   +2064 error codes
//     mode 2:          +16 subheader (4, stored twice)   +24 user data:
//                      form 1 (submode bit 0x20 clear) 2048 bytes, form 2 (set) 2324 bytes
//   2336-byte sector:  a mode 2 sector without sync and address: +0 subheader (4, twice)
//                      +8 user data, 2048 or 2324 bytes by the same submode bit
//
// A 2352-byte sector without the sync pattern (audio), or of mode 0, holds no user data.

#include <cstdint>

#include "byteview.h"

enum class SectorLayout { plain, raw2352, raw2336 };

inline constexpr std::int64_t kRawSectorBytes = 2352;
inline constexpr std::int64_t kHeaderlessSectorBytes = 2336;

// Where the user data of one sector stands in it.
struct UserData {
  std::int64_t at = 0;
  std::int64_t length = 0;
};

// The layout of a file of `size` bytes that begins with `start` (its first bytes, up to 16
// sectors): raw2352 when it holds a whole sector and begins with the sync
// pattern; raw2336 when the subheaders of its first 2336-byte sectors stand twice with a
// channel below 32 (all but one in eight of them); plain otherwise, and always when the file itself
// begins with a picture header. A trailing partial sector does not count against a layout.
SectorLayout detectSectorLayout(ByteView start, std::int64_t size);

// The bytes of one sector of the layout (kRawSectorBytes or kHeaderlessSectorBytes).
std::int64_t sectorBytes(SectorLayout layout);

// The user data of `sector`, which holds sectorBytes(layout) bytes.
UserData userDataOf(SectorLayout layout, ByteView sector);
