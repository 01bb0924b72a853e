// Fuzz entry point over decodeImageMemory, the path every file takes once it is in memory.
// The frame is followed by guard bytes; after every input the guard must be intact, the status
// must be the one the container header calls for, and nothing may be drawn outside the
// reported coverage. Any breach aborts, which libFuzzer and the corpus replay both report.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "decode.h"
#include "fuzzinput.h"
#include "oracle.h"

namespace {

constexpr std::size_t kGuardBytes = 4096;
constexpr std::uint8_t kGuardByte = 0xA5;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_decode: %s\n", what);
  std::abort();
}

std::vector<std::uint8_t>& guardedFrame() {
  static std::vector<std::uint8_t> frame(kFrameBytes + kGuardBytes, kGuardByte);
  return frame;
}

bool guardIntact(const std::vector<std::uint8_t>& frame) {
  static const std::vector<std::uint8_t> kGuard(kGuardBytes, kGuardByte);
  return std::memcmp(frame.data() + kFrameBytes, kGuard.data(), kGuardBytes) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> file(data + 1, size - 1);
  auto& frame = guardedFrame();
  const std::span<std::uint8_t, kFrameBytes> shown(frame.data(), kFrameBytes);

  FrameCoverage coverage{-1, -1};
  const DecodeStatus status = decodeImageMemory(file, shown, thresholdFor(data[0]), &coverage);

  if (!guardIntact(frame)) fail("a write landed past the frame");
  if (status != expectedStatus(file)) fail("wrong status for the container header");
  if (status != DecodeStatus::ok && (coverage.width != 0 || coverage.height != 0)) {
    fail("a refused file reports coverage");
  }
  if (!blackOutsideCoverage(shown, coverage)) fail("pixels drawn outside the reported coverage");
  return 0;
}
