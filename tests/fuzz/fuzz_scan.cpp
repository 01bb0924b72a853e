// Fuzz entry point over the picture finder, which reads dumps and disc images of any origin.
// Every find must be a picture the accurate profile accepts, with the container it names, in
// file order without overlap; in a plain file its bytes must be the file's own at its offset,
// in a disc image the header's first byte must stand at its offset.
//
// The video sectors of a sector image must give real-time finds the accurate profile accepts,
// no larger than the largest picture a coding holds, whose data starts within the file.
//
// Input: selector (low two bits 0: the layout told from the file, 1: plain, 2: 2352-byte
// sectors, 3: 2336-byte sectors), then the file.

#include <cstring>

#include "accurate/accurate.h"
#include "fence.h"
#include "scan/finder.h"
#include "scan/realtime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t* file = fencedFile(data, size);
  if (file == nullptr) return 0;
  const auto fileSize = static_cast<std::int64_t>(size - 1);
  ScanSource source;
  source.size = fileSize;
  source.readAt = [&](std::int64_t offset, std::uint8_t* into, std::int64_t n) -> std::int64_t {
    if (offset < 0 || n < 0 || offset > fileSize) fail("a read outside the file");
    const std::int64_t got = std::min(n, fileSize - offset);
    std::memcpy(into, file + offset, static_cast<std::size_t>(got));
    return got;
  };
  const SectorLayout layouts[] = {SectorLayout::plain, SectorLayout::plain, SectorLayout::raw2352,
                                  SectorLayout::raw2336};
  SectorLayout layout = layouts[data[0] & 3];
  if ((data[0] & 3) == 0) {
    layout = detectSectorLayout(ByteView({file, static_cast<std::size_t>(fileSize)}), fileSize);
  }

  std::int64_t nextFree = 0;  // in a plain file: where the last find ended
  std::int64_t lastOffset = -1;
  const DecodeStatus status =
      scanSource(source, layout, [&](const FoundPicture& found, ByteView bytes) {
        if (found.offset <= lastOffset || found.offset < 0 || found.offset >= fileSize) {
          fail("a find out of order or outside the file");
        }
        lastOffset = found.offset;
        if (bytes.size() != found.length || found.length > kScanPictureBytes)
          fail("a wrong length");
        if (containerKind(bytes) != found.container) fail("a find of another container");
        AccurateSummary summary;
        if (describeAccurate({bytes.data(), static_cast<std::size_t>(bytes.size())}, {}, summary) !=
            DecodeStatus::ok) {
          fail("a find the accurate profile refuses");
        }
        if (file[found.offset] != bytes[0]) fail("the header is not at the offset");
        if (layout == SectorLayout::plain) {
          if (found.offset < nextFree) fail("a find inside the last one");
          if (found.offset + found.length > fileSize ||
              std::memcmp(file + found.offset, bytes.data(),
                          static_cast<std::size_t>(found.length))) {
            fail("a find's bytes are not the file's");
          }
          nextFree = found.offset + found.length;
        }
        return true;
      });
  if (status != DecodeStatus::ok) fail("an in-memory scan failed");
  constexpr std::size_t kLargestForm = 768 * 560 * 2 + 2048;  // RGB555 halves, headers, palette
  const DecodeStatus video = scanRealTime(source, layout, {}, [&](const RealTimePicture& picture) {
    if (picture.offset < 0 || picture.offset >= fileSize) fail("a real-time find outside the file");
    if (picture.form.size() > kLargestForm) fail("a real-time find larger than any picture");
    AccurateSummary summary;
    if (describeAccurate(picture.form, {}, summary) != DecodeStatus::ok ||
        summary.model != picture.coding.model) {
      fail("a real-time find the accurate profile refuses");
    }
    return true;
  });
  if (video != DecodeStatus::ok) fail("an in-memory real-time scan failed");
  return 0;
}
