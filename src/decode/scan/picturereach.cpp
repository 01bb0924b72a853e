#include "picturereach.h"

#include <algorithm>
#include <cstring>

#include "byteswap.h"
#include "finder.h"

namespace {

bool isContainer(ByteView bytes, const ChunkHeader& chunk, const char (&name)[5]) {
  return chunk.is(name) && bytes.has(chunk.at, kContainerHeaderBytes) &&
         std::memcmp(bytes.data() + chunk.at + 8, "IMAG", 4) == 0;
}

}  // namespace

Reach pictureReach(ByteView bytes, ContainerKind kind, bool whole) {
  std::int64_t pos = std::min(firstChunkOffset(kind), bytes.size());
  // Where the container says it ends, believed only where a FORM follows its last item.
  const std::int64_t declaredEnd =
      bytes.has(0, 8) ? kChunkHeaderBytes + std::int64_t{byteswaplp(bytes.data() + 4)} : -1;
  const auto more = [&](std::int64_t need) {
    return Reach{pos, std::min(need, kScanPictureBytes)};
  };
  for (int chunks = 0;; ++chunks) {
    if (chunks == kScanPictureChunks) return {pos, 0};
    // A container header needs 12 bytes to be told from a chunk.
    if (!bytes.has(pos, kContainerHeaderBytes) && !whole) return more(pos + kContainerHeaderBytes);
    const auto chunk = chunkHeaderAt(bytes, pos);
    if (!chunk || !printableIdentifier(bytes, pos)) return {pos, 0};
    if (isContainer(bytes, *chunk, "CAT ")) return {pos, 0};
    if (isContainer(bytes, *chunk, "FORM")) {
      if (kind == ContainerKind::form || pos == declaredEnd) return {pos, 0};
      pos += kContainerHeaderBytes;  // an item of the CAT
      continue;
    }
    const std::int64_t end = chunk->end();
    const bool data = chunk->is("IDAT");
    if (end > bytes.size()) {
      if (!data && end > kScanPictureBytes) return {pos, 0};
      if (!whole) return more(end + kContainerHeaderBytes);
      return {data ? bytes.size() : pos, 0};
    }
    const bool padded = (chunk->length & 1) != 0 && printableIdentifier(bytes, end + 1);
    pos = padded ? end + 1 : end;
  }
}
