#include "decode.h"

#include <cstring>
#include <new>

#include "chunkwalk.h"
#include "container.h"
#include "filecopy.h"

unsigned char* dyuvasbmpmem = nullptr;
int dyuverrc = 0;

DecodeStatus decodeImageMemory(std::span<const std::uint8_t> file,
                               std::span<std::uint8_t, kFrameBytes> frame, int threshold,
                               FrameCoverage* coverage) {
  if (coverage) *coverage = FrameCoverage{};
  const ByteView bytes(file);
  const ContainerKind kind = containerKind(bytes);
  if (kind == ContainerKind::none) {
    std::memset(frame.data(), 0, kShownBytes);
    return bytes.size() < kContainerHeaderBytes ? DecodeStatus::tooShort
                                                : DecodeStatus::notCdiImage;
  }
  FrameWriter out(frame);  // clears, as it goes, what the picture does not draw
  walkClassicChunks(bytes, firstChunkOffset(kind), threshold, out);
  out.finish();
  if (coverage) *coverage = out.coverage();
  return DecodeStatus::ok;
}

DecodeStatus decodeFile(const char* dname, FrameCoverage* coverage) {
  if (coverage) *coverage = FrameCoverage{};
  FileCopy dyuvmem;
  const DecodeStatus read = readFileCopy(dname, kMaxFileBytes, dyuvmem);
  if (read != DecodeStatus::ok) return read;
  if (allocateFrameBuffer() != DecodeStatus::ok) return DecodeStatus::outOfMemory;
  return decodeImageMemory({dyuvmem.bytes.get(), static_cast<std::size_t>(dyuvmem.size)},
                           std::span<std::uint8_t, kFrameBytes>(dyuvasbmpmem, kFrameBytes),
                           dyuverrc, coverage);
}

int decodeDYUV(const char* dname) {
  return decodeFile(dname) == DecodeStatus::ok ? 0 : -1;
}

DecodeStatus allocateFrameBuffer() {
  if (dyuvasbmpmem == nullptr) {
    dyuvasbmpmem =
        new (std::nothrow) unsigned char[kFrameBytes]();  // zeroed: the 4 hidden rows too
  }
  return dyuvasbmpmem == nullptr ? DecodeStatus::outOfMemory : DecodeStatus::ok;
}

void releaseFrameBuffer() {
  delete[] dyuvasbmpmem;
  dyuvasbmpmem = nullptr;
}
