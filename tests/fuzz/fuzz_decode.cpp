// Fuzz entry point over decodeImageMemory, the path every file takes once it is in memory.
// The file sits against an inaccessible page, and the frame is followed by guard bytes and then
// such a page: a read past the file or a write past the frame faults or breaks the guard. After
// every input the guard must be intact, the status must be the one the container header calls
// for, and nothing may be drawn outside the reported coverage. Each input is decoded twice, over
// the previous input's picture and over a frame of 0xFF: the shown rows must come out the same,
// since every byte a picture does not draw must be cleared. Any breach aborts, which libFuzzer
// and the corpus replay both report.

#include <cstring>
#include <vector>

#include "decode.h"
#include "fence.h"
#include "fuzzinput.h"
#include "oracle.h"

namespace {

constexpr std::size_t kGuardBytes = 4096;
constexpr std::uint8_t kGuardByte = 0xA5;

struct Buffers {
  FencedBuffer frame{kFrameBytes + kGuardBytes};
  FencedBuffer fresh{kFrameBytes};  // refilled with 0xFF before every input
  std::uint8_t* guard = frame.last(kGuardBytes);

  Buffers() {
    std::memset(frame.last(kFrameBytes + kGuardBytes), 0, kFrameBytes);
    std::memset(guard, kGuardByte, kGuardBytes);
  }
  std::span<std::uint8_t, kFrameBytes> freshFrame() {
    std::uint8_t* at = fresh.last(kFrameBytes);
    std::memset(at, 0xFF, kShownBytes);
    return std::span<std::uint8_t, kFrameBytes>(at, kFrameBytes);
  }
  std::span<std::uint8_t, kFrameBytes> shown() {
    return std::span<std::uint8_t, kFrameBytes>(frame.last(kFrameBytes + kGuardBytes), kFrameBytes);
  }
  bool guardIntact() const {
    static const std::vector<std::uint8_t> kPattern(kGuardBytes, kGuardByte);
    return std::memcmp(guard, kPattern.data(), kGuardBytes) == 0;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Buffers buffers;
  const std::uint8_t* fenced = fencedFile(data, size);
  if (fenced == nullptr) return 0;
  const std::span<const std::uint8_t> file(fenced, size - 1);

  FrameCoverage coverage{-1, -1};
  const DecodeStatus status =
      decodeImageMemory(file, buffers.shown(), thresholdFor(data[0]), &coverage);

  if (!buffers.guardIntact()) fail("a write landed past the frame");
  if (status != expectedStatus(file)) fail("wrong status for the container header");
  if (status != DecodeStatus::ok && (coverage.width != 0 || coverage.height != 0)) {
    fail("a refused file reports coverage");
  }
  if (!blackOutsideCoverage(buffers.shown(), coverage)) {
    fail("pixels drawn outside the reported coverage");
  }

  const auto fresh = buffers.freshFrame();
  FrameCoverage freshCoverage{-1, -1};
  if (decodeImageMemory(file, fresh, thresholdFor(data[0]), &freshCoverage) != status ||
      freshCoverage.width != coverage.width || freshCoverage.height != coverage.height) {
    fail("a second decode of the same input reports otherwise");
  }
  if (std::memcmp(fresh.data(), buffers.shown().data(), kShownBytes) != 0) {
    fail("the shown rows depend on what the frame held before");
  }
  return 0;
}
