#pragma once

// The container header and the chunk header, read the same way by every decoding profile.
//
//   container: +0 "FORM" | "CAT "   +4 length (ignored)   +8 "IMAG"
//   chunk:     +0 identifier        +4 body length L      +8 body (L bytes)

#include <cstdint>
#include <optional>

#include "byteview.h"

inline constexpr std::int64_t kContainerHeaderBytes = 12;
inline constexpr std::int64_t kChunkHeaderBytes = 8;

enum class ContainerKind { none, form, cat };

// FORM....IMAG or CAT ....IMAG, byte for byte and case-sensitive; `none` for anything else,
// including a file shorter than 12 bytes.
ContainerKind containerKind(ByteView file);

// Where the first chunk stands: 12 in a FORM, 24 in a CAT (past the first item's header).
std::int64_t firstChunkOffset(ContainerKind kind);

struct ChunkHeader {
  std::int64_t at = 0;      // position of the identifier
  std::uint8_t id[4] = {};  // four bytes as stored
  std::uint32_t length = 0;

  bool is(const char (&name)[5]) const {
    return id[0] == static_cast<std::uint8_t>(name[0]) &&
           id[1] == static_cast<std::uint8_t>(name[1]) &&
           id[2] == static_cast<std::uint8_t>(name[2]) &&
           id[3] == static_cast<std::uint8_t>(name[3]);
  }
  std::int64_t bodyAt() const { return at + kChunkHeaderBytes; }
  std::int64_t end() const { return bodyAt() + length; }  // 64-bit: cannot wrap
};

// True when four printable ASCII bytes stand at pos, as a chunk identifier's do.
bool printableIdentifier(ByteView file, std::int64_t pos);

// The chunk header at pos, or nothing when fewer than 8 bytes stand there.
std::optional<ChunkHeader> chunkHeaderAt(ByteView file, std::int64_t pos);
