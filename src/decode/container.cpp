#include "container.h"

#include <cstring>

#include "byteswap.h"

ContainerKind containerKind(ByteView file) {
  if (!file.has(0, kContainerHeaderBytes)) return ContainerKind::none;
  const std::uint8_t* p = file.data();
  if (std::memcmp(p + 8, "IMAG", 4) != 0) return ContainerKind::none;
  if (std::memcmp(p, "FORM", 4) == 0) return ContainerKind::form;
  if (std::memcmp(p, "CAT ", 4) == 0) return ContainerKind::cat;
  return ContainerKind::none;
}

std::int64_t firstChunkOffset(ContainerKind kind) {
  return kind == ContainerKind::cat ? 2 * kContainerHeaderBytes : kContainerHeaderBytes;
}

std::optional<ChunkHeader> chunkHeaderAt(ByteView file, std::int64_t pos) {
  if (!file.has(pos, kChunkHeaderBytes)) return std::nullopt;
  ChunkHeader chunk;
  chunk.at = pos;
  std::memcpy(chunk.id, file.data() + pos, 4);
  chunk.length = byteswaplp(file.data() + pos + 4);
  return chunk;
}

bool printableIdentifier(ByteView file, std::int64_t pos) {
  if (!file.has(pos, 4)) return false;
  for (std::int64_t i = 0; i < 4; ++i) {
    if (file[pos + i] < 0x20 || file[pos + i] > 0x7E) return false;
  }
  return true;
}
