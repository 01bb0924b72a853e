#include "chunkwalk.h"

#include <algorithm>
#include <cstring>

#include "byteswap.h"
#include "container.h"
#include "decoders.h"

namespace {

constexpr std::int64_t kPlteSkippedBytes = 4;
constexpr std::int64_t kIhdrBytes = 14;

struct WalkState {
  ByteView file;
  int threshold = 0;
  ClassicHeader header;
  Palette cdiplte{};
};

// The chunk at pos when it is `name` with a length below 2^24; nothing otherwise.
std::optional<ChunkHeader> recognise(ByteView file, std::int64_t pos, const char (&name)[5]) {
  auto chunk = chunkHeaderAt(file, pos);
  if (chunk && chunk->is(name) && chunk->length >> 24 == 0) return chunk;
  return std::nullopt;
}

std::int64_t loadPalette(const ChunkHeader& chunk, WalkState& state) {
  state.cdiplte.fill(0);
  if (chunk.length < kPlteSkippedBytes) return chunk.bodyAt() + kPlteSkippedBytes;
  // Colours past the 256th entry, and past the end of the file, are dropped.
  const std::int64_t from = chunk.bodyAt() + kPlteSkippedBytes;
  const std::int64_t count =
      std::min({std::int64_t{chunk.length} - kPlteSkippedBytes,
                static_cast<std::int64_t>(state.cdiplte.size()), state.file.available(from)});
  if (count > 0) std::memcpy(state.cdiplte.data(), state.file.data() + from, count);
  return chunk.end();
}

std::int64_t readHeader(const ChunkHeader& chunk, WalkState& state) {
  std::uint8_t body[kIhdrBytes] = {};
  const std::int64_t have = std::min(kIhdrBytes, state.file.available(chunk.bodyAt()));
  if (have > 0) std::memcpy(body, state.file.data() + chunk.bodyAt(), have);
  ClassicHeader& header = state.header;
  header.bpr = byteswapsp(body + 2);
  header.h = byteswapsp(body + 4);
  header.type = byteswapsp(body + 6);
  header.ystrt = body[11];
  header.ustrt = body[12];
  header.vstrt = body[13];
  return chunk.end();
}

std::int64_t decodeData(const ChunkHeader& chunk, WalkState& state, FrameWriter& out) {
  const ByteView data = state.file.tail(chunk.bodyAt());
  const ClassicHeader& header = state.header;
  switch (header.type) {
    case 3:
      decodeDyuv(data, header, state.threshold, out);
      break;
    case 4:
    case 5:
      decodeClut8(data, header, state.cdiplte, out);
      break;
    case 6:
      decodeClut4(data, header, state.cdiplte, out);
      break;
    case 8:
      decodeRl7(data, header, state.cdiplte, out);
      break;
    case 9:
      decodeRl3(data, header, state.cdiplte, out);
      break;
    default:  // 7 and every code outside 3..9: no decoder, the data is passed over
      break;
  }
  return chunk.end();
}

}  // namespace

void walkClassicChunks(ByteView file, std::int64_t first, int threshold, FrameWriter& out) {
  WalkState state;
  state.file = file;
  state.threshold = threshold;
  std::int64_t indx = first;
  while (indx < file.size()) {
    bool doneit = false;
    if (auto chunk = recognise(file, indx, "PLTE")) {
      doneit = true;
      indx = loadPalette(*chunk, state);
    }
    if (auto chunk = recognise(file, indx, "IHDR")) {
      doneit = true;
      indx = readHeader(*chunk, state);
    }
    if (auto chunk = recognise(file, indx, "IDAT")) {
      doneit = true;
      indx = decodeData(*chunk, state, out);
    }
    if (!doneit) {
      const auto chunk = chunkHeaderAt(file, indx);
      if (!chunk) break;  // a trailing fragment shorter than a chunk header
      indx = chunk->end();
    }
  }
}
