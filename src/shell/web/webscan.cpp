// Scanning a file for pictures in the page's worker (viewer.js): the file stays a Blob there and
// is read slice by slice through Module.readAt; each picture found goes to Module.found with its
// bytes, so that only the pictures, never the whole file, reach memory.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <vector>

#include "finder.h"
#include "sectors.h"

namespace {

// Enough sectors to tell a raw CD image from a plain file.
constexpr std::int64_t kLayoutBytes = 16 * kRawSectorBytes;

// Up to n bytes of the file at offset into `into`: the count read, short only at the end, or -1.
EM_JS(double, pageReadAt, (double offset, std::uint8_t* into, double n),
      { return Module["readAt"](offset, into, n); });

// A picture found at `offset`: its `length` bytes at `bytes`, valid during the call only.
EM_JS(void, pageFound, (double offset, const std::uint8_t* bytes, double length),
      { Module["found"](offset, bytes, length); });

}  // namespace

extern "C" {

// Scans the page's file of `size` bytes: ok (0), or the DecodeStatus that ended the scan early.
EMSCRIPTEN_KEEPALIVE int pm_scan(double size) {
  ScanSource source;
  source.size = static_cast<std::int64_t>(size);
  source.readAt = [](std::int64_t offset, std::uint8_t* into, std::int64_t n) {
    return static_cast<std::int64_t>(
        pageReadAt(static_cast<double>(offset), into, static_cast<double>(n)));
  };
  if (source.size <= 0) return static_cast<int>(DecodeStatus::empty);
  std::vector<std::uint8_t> start(static_cast<std::size_t>(std::min(source.size, kLayoutBytes)));
  const std::int64_t got = source.readAt(0, start.data(), static_cast<std::int64_t>(start.size()));
  start.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
  const SectorLayout layout = detectSectorLayout(ByteView(start), source.size);
  const DecodeStatus status =
      scanSource(source, layout, [](const FoundPicture& found, ByteView bytes) {
        pageFound(static_cast<double>(found.offset), bytes.data(),
                  static_cast<double>(bytes.size()));
        return true;
      });
  return static_cast<int>(status);
}

}  // extern "C"
