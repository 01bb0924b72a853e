// Scanning a file every way it may hold pictures: IFF pictures in its user data, real-time
// pictures in its video sectors, IFF pictures in its swapped words; and cue sheets, through
// their BIN files.

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "accurate/accurate.h"
#include "cuesheet.h"
#include "filecopy.h"
#include "finder.h"
#include "scanfile.h"

namespace {

constexpr std::int64_t kLargestCueSheet = std::int64_t{1} << 20;

// Where the scanned bytes stand: a whole file, or a track of a cue sheet's BIN file.
struct Place {
  std::string image;  // empty: the file scanned
  std::int64_t start = 0, bytes = -1;
};

class FileScan {
 public:
  FileScan(const FoundVisitor& visit, const ScanOptions& options)
      : visit_(visit), options_(options) {}

  bool stopped() const { return stopped_; }

  // Every find of `source`, told to be `layout`; `layout` receives plain when 2336-byte sectors
  // held nothing and the file was scanned as it stands.
  DecodeStatus scan(const ScanSource& source, SectorLayout& layout, const Place& place) {
    bool any = false;
    DecodeStatus status = straight(source, layout, place, any);
    if (status != DecodeStatus::ok || stopped_) return status;
    // 2336-byte sectors are told only by their doubled subheaders, which some plain files have
    // too: when they hold no picture, the file is scanned as it stands.
    if (layout == SectorLayout::raw2336 && !any) {
      layout = SectorLayout::plain;
      status = straight(source, layout, place, any);
      if (status != DecodeStatus::ok || stopped_) return status;
    }
    if (layout != SectorLayout::plain) return DecodeStatus::ok;
    return scanSource(swappedWords(source), SectorLayout::plain,
                      [&](const FoundPicture& found, ByteView bytes) {
                        FoundPicture swapped = found;
                        swapped.swapped = true;
                        return pass(swapped, bytes, place);
                      });
  }

 private:
  // IFF pictures and, in a sector image, real-time ones, in one reading of the file.
  DecodeStatus straight(const ScanSource& source, SectorLayout layout, const Place& place,
                        bool& any) {
    const std::string where = place.image;
    RealTimeGatherer video(
        layout, options_.palette,
        [&](const RealTimePicture& picture) {
          any = true;
          return pass(realTimeFind(picture, layout), ByteView(picture.form), place);
        },
        [&](std::int64_t offset, std::uint8_t coding) {
          if (!options_.report) return;
          char text[96];
          std::snprintf(text, sizeof text,
                        "warning: video sector at 0x%llx skipped: coding 0x%02x is not known",
                        static_cast<long long>(offset + place.start), coding);
          options_.report(where, text, false);
        });
    const SectorWatch watch = [&](std::int64_t sector, const std::uint8_t* at,
                                  const std::uint8_t* next) {
      if (!stopped_) video.sector(sector, at, next);
    };
    const DecodeStatus status = scanSource(
        source, layout,
        [&](const FoundPicture& found, ByteView bytes) {
          any = true;
          return pass(found, bytes, place);
        },
        layout == SectorLayout::plain ? SectorWatch() : watch);
    if (status == DecodeStatus::ok && !stopped_) video.end();
    return status;
  }

  static FoundPicture realTimeFind(const RealTimePicture& picture, SectorLayout layout) {
    FoundPicture found;
    found.offset = picture.offset;
    found.length = static_cast<std::int64_t>(picture.form.size());
    found.container = ContainerKind::form;
    found.pictures = 1;
    AccurateSummary summary;
    describeAccurate(picture.form, {}, summary);
    found.model = summary.model, found.width = summary.width, found.height = summary.height;
    found.layout = layout;
    found.realTime = true;
    found.rt = picture.where;
    found.note = picture.note;
    return found;
  }

  // Hands a find to the visitor, placed in the file it stands in.
  bool pass(FoundPicture found, ByteView bytes, const Place& place) {
    found.offset += place.start;
    found.image = place.image;
    found.trackStart = place.start, found.trackBytes = place.bytes;
    if (!visit_(found, bytes)) stopped_ = true;
    return !stopped_;
  }

  const FoundVisitor& visit_;
  const ScanOptions& options_;
  bool stopped_ = false;
};

DecodeStatus scanCueSheet(const char* path, const FoundVisitor& visit, const ScanOptions& options) {
  FileCopy copy;
  const DecodeStatus status = readFileCopy(path, kLargestCueSheet, copy);
  if (status != DecodeStatus::ok) return status;
  const auto report = [&](const std::string& where, const std::string& what, bool failed) {
    if (options.report) options.report(where, what, failed);
  };
  const std::vector<CueTrack> tracks = parseCueSheet(
      std::string_view(reinterpret_cast<const char*>(copy.bytes.get()), std::size_t(copy.size)));
  if (tracks.empty()) report(path, "no track in this cue sheet", true);
  FileScan scan(visit, options);
  std::vector<std::string> unreadable;
  for (const CueTrack& track : tracks) {
    if (track.audio) continue;
    if (track.sectorBytes == 0) {
      report(
          path,
          "track " + std::to_string(track.number) + " skipped: mode " + track.mode + " is not read",
          false);
      continue;
    }
    const std::string bin = cueFilePath(path, track.file);
    ScanFile file;
    DecodeStatus opened = file.open(bin.c_str());
    if (opened == DecodeStatus::ok) {
      SectorLayout layout = cueTrackLayout(track);
      const std::int64_t bytes = track.bytes < 0 ? INT64_MAX : track.bytes;
      opened = scan.scan(partOf(file.source(), track.start, bytes), layout,
                         {bin, track.start, track.bytes});
    }
    if (opened != DecodeStatus::ok &&
        std::find(unreadable.begin(), unreadable.end(), bin) == unreadable.end()) {
      unreadable.push_back(bin);
      report(bin, std::string(decodeStatusText(opened)) + " (named by " + path + ")", true);
    }
    if (scan.stopped()) break;
  }
  return DecodeStatus::ok;
}

}  // namespace

DecodeStatus scanFile(const char* path, const FoundVisitor& visit, SectorLayout* layout,
                      const ScanOptions& options) {
  if (path != nullptr && isCueSheetPath(path)) return scanCueSheet(path, visit, options);
  ScanFile file;
  const DecodeStatus opened = file.open(path);
  if (opened != DecodeStatus::ok) return opened;
  std::vector<std::uint8_t> start;
  SectorLayout told = file.detectLayout(start);
  const DecodeStatus status = FileScan(visit, options).scan(file.source(), told, {});
  if (layout != nullptr) *layout = told;
  return status;
}

DecodeStatus findPictures(const char* path, std::vector<FoundPicture>& found) {
  found.clear();
  return scanFile(path, [&](const FoundPicture& picture, ByteView) {
    found.push_back(picture);
    return true;
  });
}

DecodeStatus readFoundPicture(const char* path, const FoundPicture& found,
                              std::vector<std::uint8_t>& bytes, const PaletteChunks& palette) {
  bytes.clear();
  ScanFile file;
  const DecodeStatus opened = file.open(found.image.empty() ? path : found.image.c_str());
  if (opened != DecodeStatus::ok) return opened;
  ScanSource source = file.source();
  if (!found.image.empty()) {
    source = partOf(source, found.trackStart, found.trackBytes < 0 ? INT64_MAX : found.trackBytes);
  }
  if (found.swapped) source = swappedWords(source);
  if (found.realTime) {
    const RealTimeVisitor same = [&](const RealTimePicture& picture) {
      if (picture.offset + found.trackStart != found.offset) return true;
      bytes = picture.form;
      return false;
    };
    const DecodeStatus status = scanRealTime(source, found.layout, palette, same, {},
                                             found.rt.firstSector, found.rt.endSector);
    if (status != DecodeStatus::ok) return status;
    return bytes.empty() ? DecodeStatus::shortRead : DecodeStatus::ok;
  }
  UserDataReader reader(source, found.layout);
  StreamPos pos = found.start;
  if (!reader.read(pos, found.length, bytes, nullptr) ||
      static_cast<std::int64_t>(bytes.size()) != found.length) {
    bytes.clear();
    return DecodeStatus::shortRead;
  }
  return DecodeStatus::ok;
}
