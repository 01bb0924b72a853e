#include "accuratechunks.h"

#include <cstring>

#include "accuratepixels.h"

namespace {

// Where the chunk after `chunk` begins: past the pad byte of an odd body, unless no identifier
// stands there, for one widely used writer counted the pad byte in the length (and left USER
// chunks unpadded).
std::int64_t nextChunk(ByteView file, const ChunkHeader& chunk) {
  const std::int64_t end = chunk.end();
  if ((chunk.length & 1) != 0 && printableIdentifier(file, end + 1)) return end + 1;
  return end;
}

// A FORM of type IMAG inside the walk: the header of the next picture, stepped into.
bool startsPicture(ByteView file, const ChunkHeader& chunk) {
  return chunk.is("FORM") && file.has(chunk.at, kContainerHeaderBytes) &&
         std::memcmp(file.data() + chunk.at + 8, "IMAG", 4) == 0;
}

// Calls visit(picture index, chunk) for every chunk in file order until visit returns false.
template <class Visit>
void walk(ByteView file, ContainerKind kind, Visit visit) {
  int picture = 0;
  std::int64_t pos = firstChunkOffset(kind);
  while (auto chunk = chunkHeaderAt(file, pos)) {
    if (startsPicture(file, *chunk)) {
      ++picture;
      pos = chunk->at + kContainerHeaderBytes;
      continue;
    }
    if (!visit(picture, *chunk)) return;
    pos = nextChunk(file, *chunk);
  }
}

}  // namespace

std::optional<PictureChunks> findPicture(ByteView file, ContainerKind kind, int index) {
  PictureChunks found;
  bool reached = false;
  walk(file, kind, [&](int picture, const ChunkHeader& chunk) {
    if (picture < index) return true;
    if (picture > index) return false;
    reached = true;
    const ByteView body = sliceOf(file, chunk.bodyAt(), chunk.length);
    if (chunk.is("IHDR") && !found.ihdr) {
      found.ihdr = body;
    } else if (chunk.is("YUVS")) {
      found.yuvs = body;
    } else if (chunk.is("PLTE") && !found.idat) {
      found.palettes.push_back(body);
    } else if (chunk.is("IDAT") && found.ihdr && !found.idat) {
      found.idat = body;
    }
    return true;
  });
  if (!reached) return std::nullopt;
  return found;
}

int countPictures(ByteView file, ContainerKind kind) {
  int count = 0;  // pictures up to the last that holds a chunk
  walk(file, kind, [&](int picture, const ChunkHeader&) {
    count = picture + 1;
    return true;
  });
  return count;
}
