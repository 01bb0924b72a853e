#include "realtime.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <span>

namespace {

constexpr std::uint8_t kEndOfRecord = 0x01, kVideo = 0x02, kForm2 = 0x20, kEndOfFile = 0x80;
constexpr std::int64_t kForm1Bytes = 2048, kForm2Bytes = 2324;
constexpr std::int64_t kSectorsPerRead = 256;
constexpr int kNormalWidth = 384, kDoubleWidth = 768;
constexpr int kTallLines = 280, kShortLines = 240;     // 625-line and 525-line discs
constexpr int kGreyLevels[] = {16, 128, 256, 8, 128};  // CLUT4, CLUT7, CLUT8, RL3, RL7

struct Subheader {
  int file = 0, channel = 0;
  std::uint8_t submode = 0, coding = 0;
};

Subheader subheaderAt(const std::uint8_t* at) {
  return {at[0], at[1], at[2], at[3]};
}

void appendU16(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void appendChunk(std::vector<std::uint8_t>& out, const char* id, std::int64_t length) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<std::uint8_t>(id[i]));
  appendU16(out, static_cast<int>(length >> 16));
  appendU16(out, static_cast<int>(length & 0xFFFF));
}

// The lines of run-length data, a last partial line included, up to `most`, and the bytes they
// take: a record cut at the largest picture of its coding holds the next picture's codes after
// its last line, and they are no part of this one. The zeros that pad the last sector are not
// counted, except as the count of a run that ends the data (0: to the end of the line), so a
// record of zeros alone has no line.
struct RunLengthExtent {
  int lines = 0;
  std::size_t bytes = 0;
};

RunLengthExtent runLengthLines(const std::vector<std::uint8_t>& data, const VideoCoding& coding,
                               int most) {
  const bool pairs = coding.model == 9;
  const auto last = std::find_if(data.rbegin(), data.rend(), [](auto b) { return b != 0; });
  const std::size_t end = static_cast<std::size_t>(data.rend() - last);
  int lines = 0, x = 0;
  std::size_t i = 0;
  for (; i < end && lines < most; ++i) {
    int pixels = pairs ? 2 : 1;
    if ((data[i] & 0x80) != 0) {
      if (++i == data.size()) break;
      pixels = data[i] == 0 ? coding.width - x : pixels * data[i];
    }
    x += pixels;
    if (x >= coding.width) ++lines, x = 0;
  }
  if (lines < most) return {x > 0 ? lines + 1 : lines, data.size()};
  return {lines, i};
}

// Lines a record of `bytes` shows: the tallest standard height it holds, so that the padding of
// its last sector is not shown as lines, or every whole line when it holds less.
int standardLines(std::int64_t bytes, const VideoCoding& coding) {
  const std::int64_t lines = bytes / coding.lineSize;
  if (lines >= coding.tallest) return coding.tallest;
  if (lines >= coding.shortest) return coding.shortest;
  return static_cast<int>(lines);
}

struct Record {
  Subheader subheader;
  VideoCoding coding;
  std::int64_t offset = 0;
  std::int64_t firstSector = 0, endSector = 0;
  std::vector<std::uint8_t> data;
  bool cut = false;  // reached the largest picture of its coding; the rest is dropped
};

std::int64_t mostBytes(const VideoCoding& coding) {
  // A run-length line takes at most two bytes a pixel.
  const std::int64_t line = coding.lineSize > 0 ? coding.lineSize : 2 * std::int64_t{coding.width};
  return line * coding.tallest;
}

}  // namespace

class RealTimeGatherer::Gatherer {
 public:
  Gatherer(SectorLayout layout, const PaletteChunks& palette, RealTimeVisitor visit,
           RealTimeWarning warn)
      : layout_(layout), palette_(palette), visit_(std::move(visit)), warn_(std::move(warn)) {}

  bool stopped() const { return stopped_; }

  void look(std::int64_t sector, const std::uint8_t* at, const std::uint8_t* next,
            bool takes = true) {
    if (stopped_ || layout_ == SectorLayout::plain) return;
    const std::int64_t sub = subheaderOffset(at);
    if (sub < 0) return;
    std::optional<Subheader> after;
    if (next != nullptr && subheaderOffset(next) == sub) after = subheaderAt(next + sub);
    const auto header = chooseSubheader(at + sub, after);
    if (!header) return;
    before_ = header;
    if (!takes || (header->submode & kVideo) == 0) return;
    take(sector, sub + 8, at + sub + 8, *header);
  }

  // Records the file ends inside are pictures cut short, still worth showing, oldest first.
  void end() {
    while (!stopped_ && !open_.empty())
      finish(oldestOpen());
    while (!stopped_ && !halves_.empty()) {
      Record lone = std::move(halves_.begin()->second);
      halves_.erase(halves_.begin());
      emit(lone, nullptr);
    }
  }

 private:
  using Key = std::pair<int, int>;  // file number, channel

  // Where the subheader of a sector stands in it, or -1 when the sector has none.
  std::int64_t subheaderOffset(const std::uint8_t* sector) const {
    if (layout_ == SectorLayout::raw2336) return 0;
    const ByteView view(std::span<const std::uint8_t>(sector, kRawSectorBytes));
    const UserData data = userDataOf(layout_, view);
    return data.length > 0 && sector[15] == 2 ? 16 : -1;
  }

  // A video sector of subheader `header`, whose data stands at `data`, `dataAt` bytes into it.
  void take(std::int64_t sector, std::int64_t dataAt, const std::uint8_t* data,
            const Subheader& chosen) {
    const Subheader* header = &chosen;
    const Key key{header->file, header->channel};
    const auto coding = videoCoding(header->coding);
    if (!coding) {
      // One warning for each run of such sectors, not one for each sector.
      if (warn_ && unknown_.insert(key).second) {
        warn_(sector * sectorBytes(layout_) + dataAt, header->coding);
      }
      if ((header->submode & (kEndOfRecord | kEndOfFile)) != 0) unknown_.erase(key);
      endRecord(key);
      return;
    }
    unknown_.erase(key);
    auto open = open_.find(key);
    if (open != open_.end() && open->second.subheader.coding != header->coding) {
      finish(open);
      open = open_.end();
    }
    if (open == open_.end()) {
      if (open_.size() == static_cast<std::size_t>(kOpenRecords)) finish(oldestOpen());
      Record record;
      record.subheader = *header;
      record.coding = *coding;
      record.offset = sector * sectorBytes(layout_) + dataAt;
      record.firstSector = sector;
      open = open_.emplace(key, std::move(record)).first;
    }
    Record& record = open->second;
    record.endSector = sector + 1;
    if (!record.cut) {
      const std::int64_t length = (header->submode & kForm2) != 0 ? kForm2Bytes : kForm1Bytes;
      const std::int64_t room = mostBytes(record.coding) - std::int64_t(record.data.size());
      const std::int64_t n = std::min(length, room);
      record.data.insert(record.data.end(), data, data + n);
      record.cut = n == room;
    }
    if ((header->submode & (kEndOfRecord | kEndOfFile)) != 0) finish(open);
  }

  // How well a subheader copy fits the sectors around it: 0 when no neighbour and no open
  // record has its file and channel, 2 when one of them also has its coding, 1 otherwise.
  int support(const Subheader& copy, const std::optional<Subheader>& after) const {
    const auto same = [&](const std::optional<Subheader>& other) {
      return other && other->file == copy.file && other->channel == copy.channel;
    };
    const auto open = open_.find({copy.file, copy.channel});
    if (!same(before_) && !same(after) && open == open_.end()) return 0;
    const bool coding = (same(before_) && before_->coding == copy.coding) ||
                        (same(after) && after->coding == copy.coding) ||
                        (open != open_.end() && open->second.subheader.coding == copy.coding);
    return coding ? 2 : 1;
  }

  // The subheader of a sector whose two copies may disagree (a bad read): the copy that fits
  // its neighbours better, or nothing when neither does.
  std::optional<Subheader> chooseSubheader(const std::uint8_t* at,
                                           const std::optional<Subheader>& after) const {
    const Subheader first = subheaderAt(at), second = subheaderAt(at + 4);
    if (std::memcmp(at, at + 4, 4) == 0) return first;
    const int a = support(first, after), b = support(second, after);
    if (a == b) return std::nullopt;
    return a > b ? first : second;
  }

  void endRecord(const Key& key) {
    if (const auto open = open_.find(key); open != open_.end()) finish(open);
  }

  std::map<Key, Record>::iterator oldestOpen() {
    return std::min_element(open_.begin(), open_.end(), [](const auto& a, const auto& b) {
      return a.second.firstSector < b.second.firstSector;
    });
  }

  // A record ended: shown, or kept until the other half of its RGB555 picture ends.
  void finish(std::map<Key, Record>::iterator open) {
    Record record = std::move(open->second);
    open_.erase(open);
    if (record.coding.rgbHalf < 0) {
      emit(record, nullptr);
      return;
    }
    const auto half = halves_.find(record.subheader.file);
    if (half == halves_.end()) {
      if (halves_.size() == static_cast<std::size_t>(kOpenRecords)) {
        Record oldest = std::move(halves_.begin()->second);  // memory stays bounded
        halves_.erase(halves_.begin());
        emit(oldest, nullptr);
      }
      halves_.emplace(record.subheader.file, std::move(record));
      return;
    }
    Record other = std::move(half->second);
    halves_.erase(half);
    if (other.coding.rgbHalf == record.coding.rgbHalf ||
        other.coding.width != record.coding.width) {
      emit(other, nullptr);  // no pair: shown alone
      halves_.emplace(record.subheader.file, std::move(record));
      return;
    }
    emit(other, &record);
  }

  // Shows `record` (with the other RGB555 half `pair`, which ended after it) as a FORM...IMAG.
  void emit(const Record& record, const Record* pair) {
    const VideoCoding& coding = record.coding;
    RealTimePicture picture;
    picture.offset = record.offset;
    picture.coding = coding;
    picture.where = {record.subheader.file, record.subheader.channel, record.subheader.coding,
                     record.firstSector, record.endSector};
    if (pair != nullptr) {
      picture.where.firstSector = std::min(record.firstSector, pair->firstSector);
      picture.where.endSector = std::max(record.endSector, pair->endSector);
    }
    const std::vector<std::uint8_t>* upper = &record.data;
    const std::vector<std::uint8_t>* lower = nullptr;
    if (pair != nullptr) {
      lower = &pair->data;
      if (coding.rgbHalf == 0) std::swap(upper, lower);
    }
    int height = 0;
    std::size_t codes = record.data.size();
    if (coding.lineSize == 0) {
      const RunLengthExtent extent = runLengthLines(record.data, coding, coding.tallest);
      height = extent.lines, codes = extent.bytes;
    } else if (coding.rgbHalf < 0) {
      height = standardLines(std::int64_t(record.data.size()), coding);
    } else {
      const std::int64_t held = std::min(upper->size(), lower ? lower->size() : upper->size());
      height = standardLines(held, coding);
      if (lower == nullptr) {
        picture.note = std::string("the RGB555 ") + (coding.rgbHalf == 0 ? "lower" : "upper") +
                       " half has no other half: the missing one is zero";
      }
    }
    if (height == 0) return;  // not one line: nothing to show
    picture.form =
        form(coding, height, codes, *upper, lower, coding.rgbHalf == 0 && lower == nullptr);
    if (palette_.empty() && coding.model >= 4) {
      picture.note = "no palette: shown in greys";
    }
    if (!visit_(picture)) stopped_ = true;
  }

  // The FORM...IMAG of a picture. An RGB555 picture holds its upper halves, then its lower ones;
  // a lone half has zeros for the other (`lowerOnly`: `first` is the lower half). Run-length
  // data is its first `codes` bytes.
  std::vector<std::uint8_t> form(const VideoCoding& coding, int height, std::size_t codes,
                                 const std::vector<std::uint8_t>& first,
                                 const std::vector<std::uint8_t>* second, bool lowerOnly) const {
    std::vector<std::uint8_t> data;
    if (coding.lineSize == 0) {
      data.assign(first.begin(), first.begin() + std::min(codes, first.size()));
    } else {
      const auto half = static_cast<std::size_t>(coding.lineSize) * height;
      const std::vector<std::uint8_t> zeros;
      const auto put = [&](const std::vector<std::uint8_t>& from) {
        data.insert(data.end(), from.begin(), from.begin() + std::min(half, from.size()));
        data.resize(data.size() + (half - std::min(half, from.size())), 0);
      };
      if (lowerOnly) put(zeros);
      put(first);
      if (coding.rgbHalf >= 0 && !lowerOnly) put(second != nullptr ? *second : zeros);
    }
    std::vector<std::uint8_t> out;
    out.reserve(data.size() + 1024);
    appendChunk(out, "FORM", 0);  // its length is set at the end
    out.push_back('I'), out.push_back('M'), out.push_back('A'), out.push_back('G');
    appendChunk(out, "IHDR", 14);
    appendU16(out, coding.width);
    appendU16(out, coding.lineSize > 0 ? coding.lineSize : coding.width);
    appendU16(out, height);
    appendU16(out, coding.model);
    const bool nibbles = coding.model == 6 || coding.model == 9;
    appendU16(out, coding.model == 2 ? 16 : nibbles ? 4 : 8);
    for (const std::uint8_t byte : {0, 16, 128, 128})  // DYUV lines start from Y 16, U and V 128
      out.push_back(byte);
    if (coding.model >= 4) appendPalette(out, coding.model);
    appendChunk(out, "IDAT", std::int64_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    const auto length = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i)
      out[4 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    return out;
  }

  void appendPalette(std::vector<std::uint8_t>& out, int model) const {
    for (const auto& body : palette_) {
      appendChunk(out, "PLTE", std::int64_t(body.size()));
      out.insert(out.end(), body.begin(), body.end());
    }
    if (!palette_.empty()) return;
    const int levels = kGreyLevels[model == 8 ? 4 : model == 9 ? 3 : 6 - model];
    appendChunk(out, "PLTE", 4 + 3 * levels);
    appendU16(out, 0);
    appendU16(out, levels);
    for (int n = 0; n < levels; ++n)
      out.insert(out.end(), 3, static_cast<std::uint8_t>(n * 255 / (levels - 1)));
  }

  SectorLayout layout_;
  const PaletteChunks& palette_;
  RealTimeVisitor visit_;
  RealTimeWarning warn_;
  std::optional<Subheader> before_;  // of the last sector with a subheader
  std::map<Key, Record> open_;
  std::map<int, Record> halves_;  // RGB555 halves waiting for their other half, by file number
  std::set<Key> unknown_;         // in a run of sectors with an unknown coding, warned of
  bool stopped_ = false;
};

std::optional<VideoCoding> videoCoding(std::uint8_t coding) {
  constexpr int kModels[] = {6, 5, 4, 9, 8, 3, 2, 2};
  const int kind = coding & 0x0F, resolution = (coding >> 4) & 3;
  if (kind > 7 || resolution == 2 || (coding & 0x80) != 0) return std::nullopt;
  VideoCoding out;
  out.model = kModels[kind];
  out.width = resolution == 0 ? kNormalWidth : kDoubleWidth;
  const int scale = resolution == 3 ? 2 : 1;
  out.tallest = kTallLines * scale, out.shortest = kShortLines * scale;
  out.rgbHalf = kind >= 6 ? kind - 6 : -1;
  out.oddLines = (coding & 0x40) != 0;
  out.lineSize = out.model == 6 ? out.width / 2 : out.model >= 8 ? 0 : out.width;
  return out;
}

RealTimeGatherer::RealTimeGatherer(SectorLayout layout, const PaletteChunks& palette,
                                   RealTimeVisitor visit, RealTimeWarning warn)
    : gatherer_(std::make_unique<Gatherer>(layout, palette, std::move(visit), std::move(warn))) {}

RealTimeGatherer::~RealTimeGatherer() = default;

void RealTimeGatherer::sector(std::int64_t index, const std::uint8_t* at,
                              const std::uint8_t* next) {
  gatherer_->look(index, at, next);
}

void RealTimeGatherer::sectorBefore(const std::uint8_t* at, const std::uint8_t* next) {
  gatherer_->look(-1, at, next, false);
}

void RealTimeGatherer::end() {
  gatherer_->end();
}

bool RealTimeGatherer::stopped() const {
  return gatherer_->stopped();
}

DecodeStatus scanRealTime(const ScanSource& source, SectorLayout layout,
                          const PaletteChunks& palette, const RealTimeVisitor& visit,
                          const RealTimeWarning& warn, std::int64_t firstSector,
                          std::int64_t endSector) {
  if (layout == SectorLayout::plain) return DecodeStatus::ok;
  RealTimeGatherer gather(layout, palette, visit, warn);
  const std::int64_t bytes = sectorBytes(layout);
  const std::int64_t sectors = source.size / bytes;
  endSector = std::min(endSector, sectors);
  std::vector<std::uint8_t> batch(static_cast<std::size_t>((kSectorsPerRead + 1) * bytes));
  // From the sector before the first, as the scan saw it: it may settle the first's subheader.
  firstSector = std::max<std::int64_t>(firstSector, 0);
  for (std::int64_t sector = std::max<std::int64_t>(firstSector - 1, 0);
       sector < endSector && !gather.stopped();) {
    const std::int64_t count = std::min(kSectorsPerRead, endSector - sector);
    // With the sector after the last when the file holds one, as the scan saw it: it may settle
    // the last one's subheader.
    const std::int64_t held = std::min(count + 1, sectors - sector);
    if (source.readAt(sector * bytes, batch.data(), held * bytes) != held * bytes) {
      return DecodeStatus::shortRead;
    }
    // Sectors are taken from what was read, checked against it where the library checks.
    const std::span<const std::uint8_t> read(batch.data(), static_cast<std::size_t>(held * bytes));
    for (std::int64_t i = 0; i < count; ++i) {
      const std::uint8_t* at =
          read.subspan(static_cast<std::size_t>(i * bytes), static_cast<std::size_t>(bytes)).data();
      const std::uint8_t* next = i + 1 < held ? at + bytes : nullptr;
      if (sector + i < firstSector) {
        gather.sectorBefore(at, next);
      } else {
        gather.sector(sector + i, at, next);
      }
    }
    sector += count;
  }
  gather.end();
  return DecodeStatus::ok;
}
