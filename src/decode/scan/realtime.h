#pragma once

// Pictures in real-time files: video sectors, the form a disc's player reads straight into video
// memory. They carry no IFF header; the sectors' subheaders say what they hold.
//
//   subheader (4 bytes, stored twice):  +0 file number  +1 channel  +2 submode  +3 coding
//   submode:  0x01 end of record   0x02 video   0x20 form 2 (2324 data bytes, else 2048)
//             0x80 end of file
//   video coding:  bits 0-3  0 CLUT4  1 CLUT7  2 CLUT8  3 RL3  4 RL7  5 DYUV
//                            6 RGB555 lower half  7 RGB555 upper half
//                  bits 4-5  resolution: 0 normal (384 wide), 1 double (768 wide),
//                            3 high (768 wide, twice the lines); 2 is not a resolution
//                  bit 6     odd lines of an interlaced pair
//                  bit 7     not a defined bit: a sector with it set is skipped
//
// The video sectors of one file number and channel, up to the one with end of record, form one
// picture, whatever sectors of other channels stand between them. Each find is presented as the
// bytes of an ordinary FORM...IMAG (IHDR, a PLTE for the palette models, IDAT the data), so that
// both decoding profiles, the viewer and --info take it as they take any picture.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sectors.h"
#include "status.h"
#include "userdata.h"

// What a video coding byte says about the picture.
struct VideoCoding {
  int model = 0;          // the IHDR image model: 2 RGB555, 3 DYUV, 4-6 CLUT8/7/4, 8 RL7, 9 RL3
  int width = 0;          // 384 or 768
  int lineSize = 0;       // bytes of a line (of one half for RGB555); 0 for run-length
  int tallest = 0;        // lines of the tallest standard picture: 280, or 560 in high resolution
  int shortest = 0;       // lines of the shorter standard picture: 240, or 480
  int rgbHalf = -1;       // RGB555: 0 the lower half, 1 the upper; -1 for other models
  bool oddLines = false;  // the odd lines of an interlaced pair
};

// The coding byte's meaning, or nothing when it has a bit no coding defines.
std::optional<VideoCoding> videoCoding(std::uint8_t coding);

// Where a real-time find stands, so that it can be read again.
struct RealTimeFind {
  int file = 0, channel = 0;
  std::uint8_t coding = 0;
  std::int64_t firstSector = 0;  // of the sectors that hold it (both halves for RGB555)
  std::int64_t endSector = 0;    // one past the last of them
};

// A picture's palette: the PLTE chunk bodies that load it (first entry, count, RGB triplets),
// as a palette file gives them. Empty: a grey ramp from black to white.
using PaletteChunks = std::vector<std::vector<std::uint8_t>>;

// One real-time picture as the bytes of a FORM...IMAG; `note` is a warning about it, or empty.
struct RealTimePicture {
  std::int64_t offset = 0;  // image-file byte where the first sector's data starts
  RealTimeFind where;
  VideoCoding coding;
  std::vector<std::uint8_t> form;
  std::string note;
};

// Called for each picture, in the order their records end; false stops the scan.
using RealTimeVisitor = std::function<bool(const RealTimePicture& picture)>;
// Called for the first sector of each run of one file and channel skipped for a coding byte no
// coding defines, with the offset of its data.
using RealTimeWarning = std::function<void(std::int64_t offset, std::uint8_t coding)>;

inline constexpr int kOpenRecords = 16;

// Gathers the records of sectors handed to it in file order, each sector once, and shows each
// picture to `visit` when its record ends (and at end(), those the file ends inside). Memory
// stays bounded: a record is cut at the largest picture its coding holds (the rest of it until
// its end of record is dropped), at most kOpenRecords records are gathered at once, and as many
// RGB555 halves wait for their other half (the longest-open one is shown as it is to make room).
class RealTimeGatherer {
 public:
  RealTimeGatherer(SectorLayout layout, const PaletteChunks& palette, RealTimeVisitor visit,
                   RealTimeWarning warn = {});
  ~RealTimeGatherer();
  RealTimeGatherer(const RealTimeGatherer&) = delete;
  RealTimeGatherer& operator=(const RealTimeGatherer&) = delete;

  // Sector `index` of the file, sectorBytes(layout) bytes at `at`; `next` is the sector after
  // it when at hand (a subheader whose copies disagree is judged by its neighbours), or null.
  void sector(std::int64_t index, const std::uint8_t* at, const std::uint8_t* next);
  // The sector before the first one given, whose subheader only is taken: it judges the first's.
  void sectorBefore(const std::uint8_t* at, const std::uint8_t* next);
  // The end of the file.
  void end();
  // Whether `visit` returned false.
  bool stopped() const;

 private:
  class Gatherer;
  std::unique_ptr<Gatherer> gatherer_;
};

// The video pictures of sectors [firstSector, endSector) of `source` (a raw2352 or raw2336
// layout; none in a plain one), read by position. The sectors just before and after are read
// too, as a scan of the whole file sees them: they settle subheaders whose copies disagree.
// Returns ok, or shortRead when the file could not be read.
DecodeStatus scanRealTime(const ScanSource& source, SectorLayout layout,
                          const PaletteChunks& palette, const RealTimeVisitor& visit,
                          const RealTimeWarning& warn = {}, std::int64_t firstSector = 0,
                          std::int64_t endSector = INT64_MAX);
