#include "sectors.h"

#include <algorithm>
#include <cstring>

#include "container.h"

namespace {

constexpr std::uint8_t kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::uint8_t kForm2 = 0x20;  // submode bit
constexpr std::int64_t kForm1Bytes = 2048, kForm2Bytes = 2324;
constexpr std::int64_t kSectorsLooked = 16;

bool hasSync(ByteView sector) {
  return sector.has(0, sizeof kSync) && std::memcmp(sector.data(), kSync, sizeof kSync) == 0;
}

constexpr std::uint8_t kChannels = 32;

// A mode 2 subheader stands twice: file, channel (0 to 31), submode, coding. Runs of one byte
// value, common in dumps, have a doubled "subheader" too, but seldom a channel below 32.
bool subheaderTwice(ByteView bytes, std::int64_t at) {
  return bytes.has(at, 8) && std::memcmp(bytes.data() + at, bytes.data() + at + 4, 4) == 0 &&
         bytes[at + 1] < kChannels;
}

UserData mode2(ByteView sector, std::int64_t subheader) {
  const bool form2 = (sector[subheader + 2] & kForm2) != 0;
  return {subheader + 8, form2 ? kForm2Bytes : kForm1Bytes};
}

}  // namespace

SectorLayout detectSectorLayout(ByteView start, std::int64_t size) {
  if (containerKind(start) != ContainerKind::none) return SectorLayout::plain;
  // A trailing partial sector, as a copy cut short leaves it, is passed over.
  if (size >= kRawSectorBytes && hasSync(start)) return SectorLayout::raw2352;
  const std::int64_t sectors = std::min(size / kHeaderlessSectorBytes, kSectorsLooked);
  // A subheader whose copies disagree (a bad read of one sector) does not hide the layout.
  std::int64_t twice = 0;
  for (std::int64_t i = 0; i < sectors; ++i)
    twice += subheaderTwice(start, i * kHeaderlessSectorBytes) ? 1 : 0;
  return sectors > 0 && twice >= sectors - sectors / 8 ? SectorLayout::raw2336
                                                       : SectorLayout::plain;
}

std::int64_t sectorBytes(SectorLayout layout) {
  return layout == SectorLayout::raw2336 ? kHeaderlessSectorBytes : kRawSectorBytes;
}

UserData userDataOf(SectorLayout layout, ByteView sector) {
  if (!sector.has(0, sectorBytes(layout))) return {};
  if (layout == SectorLayout::raw2336) return mode2(sector, 0);
  if (layout != SectorLayout::raw2352 || !hasSync(sector)) return {};
  switch (sector[15]) {
    case 1:
      return {16, kForm1Bytes};
    case 2:
      return mode2(sector, 16);
    default:
      return {};
  }
}
