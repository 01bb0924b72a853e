#include "finder.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

#include "accurate/accurate.h"
#include "picturereach.h"

namespace {

constexpr std::int64_t kWindowBytes = std::int64_t{1} << 20;
// A header straddling the end of a window is looked at in the next, which keeps these bytes.
constexpr std::int64_t kKeptBytes = kContainerHeaderBytes - 1;
constexpr std::string_view kType = "IMAG";  // at +8 of both container headers

// The first "IMAG" in [from, to), or null.
const std::uint8_t* findType(const std::uint8_t* from, const std::uint8_t* to) {
#ifdef __GLIBC__
  return static_cast<const std::uint8_t*>(
      memmem(from, static_cast<std::size_t>(to - from), kType.data(), kType.size()));
#elif defined(__cpp_lib_boyer_moore_searcher)
  const auto* hit =
      std::search(from, to, std::boyer_moore_horspool_searcher(kType.begin(), kType.end()));
  return hit == to ? nullptr : hit;
#else
  // Libraries without the searcher (the browser's): each 'I' that leaves room for the word.
  for (const std::uint8_t* at = from; to - at >= std::ssize(kType); ++at) {
    at = static_cast<const std::uint8_t*>(
        std::memchr(at, kType.front(), static_cast<std::size_t>(to - at) - kType.size() + 1));
    if (at == nullptr) return nullptr;
    if (std::memcmp(at, kType.data(), kType.size()) == 0) return at;
  }
  return nullptr;
#endif
}

// Checked against the vector's size where the library checks (the hardened builds).
ByteView viewOf(const std::vector<std::uint8_t>& bytes, std::int64_t from, std::int64_t n) {
  return ByteView(std::span<const std::uint8_t>(bytes).subspan(static_cast<std::size_t>(from),
                                                               static_cast<std::size_t>(n)));
}

// Read-ahead bytes that headers no longer need are dropped once there are as many of them as
// there are bytes still kept, or this many: each byte is then moved a few times at most.
constexpr std::int64_t kDropBytes = std::int64_t{16} << 20;

class Scanner {
 public:
  Scanner(const ScanSource& source, SectorLayout layout, const FoundVisitor& visit)
      : reader_(source, layout), visit_(visit) {}

  void watch(const SectorWatch& watch) { reader_.watch(watch); }

  DecodeStatus run() {
    window_.reserve(static_cast<std::size_t>(kWindowBytes + kKeptBytes));
    StreamPos next;
    for (;;) {
      const auto kept = static_cast<std::int64_t>(window_.size());
      if (!reader_.read(next, kWindowBytes, window_, &pieces_)) return DecodeStatus::shortRead;
      const bool last = static_cast<std::int64_t>(window_.size()) - kept < kWindowBytes;
      if (!searchWindow(last)) return stopped_ ? DecodeStatus::ok : DecodeStatus::shortRead;
      if (last) return DecodeStatus::ok;
      keepTail();
    }
  }

 private:
  // Looks at every header in the window that the next window will not hold whole; false when
  // the scan ends here.
  bool searchWindow(bool last) {
    const auto size = static_cast<std::int64_t>(window_.size());
    const auto* begin = window_.data();
    std::int64_t from = std::max<std::int64_t>(skipUntil_ - windowStart_, 0);
    while (from + kContainerHeaderBytes <= size) {
      const std::uint8_t* hit = findType(begin + from + 8, begin + size);
      if (hit == nullptr) break;
      const std::int64_t at = hit - begin - 8;
      from = at + 1;
      const ContainerKind kind = containerKind(viewOf(window_, at, kContainerHeaderBytes));
      if (kind == ContainerKind::none) continue;
      const std::int64_t reach = lookAt(at, kind, last);
      if (reach < 0) return false;
      if (reach > 0) from = std::max(from, at + reach);
    }
    skipUntil_ = std::max(skipUntil_, windowStart_ + from);
    return true;
  }

  // The header at window_[at]: its reach when it is a find, 0 when not, -1 to stop.
  std::int64_t lookAt(std::int64_t at, ContainerKind kind, bool last) {
    const std::int64_t inWindow =
        std::min<std::int64_t>(static_cast<std::int64_t>(window_.size()) - at, kScanPictureBytes);
    const bool whole = last || inWindow == kScanPictureBytes;
    const Reach reach = pictureReach(viewOf(window_, at, inWindow), kind, whole);
    const std::int64_t stream = windowStart_ + at;
    const StreamPos start = streamPosOf(pieces_, stream);
    ByteView bytes = viewOf(window_, at, reach.extent);
    if (reach.wanted > 0) {
      std::int64_t from = 0;
      const std::int64_t extent = readPicture(start, kind, reach.wanted, from);
      if (extent < 0) return -1;
      bytes = viewOf(ahead_, from, extent);
    }
    AccurateSummary summary;
    if (describeAccurate({bytes.data(), static_cast<std::size_t>(bytes.size())}, {}, summary) !=
        DecodeStatus::ok) {
      return 0;
    }
    FoundPicture found;
    found.offset = fileOffsetOf(pieces_, stream);
    found.length = bytes.size();
    found.container = kind;
    found.pictures = summary.pictures;
    found.model = summary.model, found.width = summary.width, found.height = summary.height;
    found.layout = reader_.layout();
    found.start = start;
    if (!visit_(found, bytes)) {
      stopped_ = true;
      return -1;
    }
    return bytes.size();
  }

  // Reads the picture from `start` until its reach is known, at most kScanPictureBytes, into
  // ahead_, which keeps what earlier headers read: a header within those bytes takes them from
  // there. So a file full of headers whose data claims to run on for megabytes is still read
  // about twice at most (the windows, and ahead_), not once per header. `from` receives where the
  // picture starts in ahead_; returns the reach, or -1 on a read error.
  std::int64_t readPicture(StreamPos start, ContainerKind kind, std::int64_t want,
                           std::int64_t& from) {
    if (start.stream < aheadStart_ ||
        start.stream >= aheadStart_ + static_cast<std::int64_t>(ahead_.size())) {
      ahead_.clear();
      aheadStart_ = start.stream, aheadEnd_ = start, aheadEnded_ = false;
    }
    from = start.stream - aheadStart_;
    for (;;) {
      want = std::min(want, kScanPictureBytes);
      std::int64_t have = static_cast<std::int64_t>(ahead_.size()) - from;
      if (have < want && !aheadEnded_) {
        if (from >= std::min(have, kDropBytes)) {
          ahead_.erase(ahead_.begin(), ahead_.begin() + from);
          aheadStart_ += from, from = 0;
        }
        const auto before = static_cast<std::int64_t>(ahead_.size());
        if (!reader_.read(aheadEnd_, want - have, ahead_, nullptr)) return -1;
        aheadEnded_ = static_cast<std::int64_t>(ahead_.size()) - before < want - have;
        have = static_cast<std::int64_t>(ahead_.size()) - from;
      }
      have = std::min(have, kScanPictureBytes);
      const bool whole = aheadEnded_ || have == kScanPictureBytes;
      const Reach reach = pictureReach(viewOf(ahead_, from, have), kind, whole);
      if (reach.wanted == 0) return reach.extent;
      want = std::max(reach.wanted, 2 * have);
    }
  }

  // Keeps the last bytes of the window, and the pieces that hold them.
  void keepTail() {
    const auto size = static_cast<std::int64_t>(window_.size());
    const std::int64_t keep = std::min(kKeptBytes, size);
    windowStart_ += size - keep;
    window_.erase(window_.begin(), window_.end() - keep);
    const auto firstKept = std::find_if(pieces_.begin(), pieces_.end(), [&](const Piece& piece) {
      return piece.start.stream + piece.length > windowStart_;
    });
    pieces_.erase(pieces_.begin(), firstKept);
  }

  UserDataReader reader_;
  const FoundVisitor& visit_;
  std::vector<std::uint8_t> window_;  // the stream from windowStart_ on
  std::vector<Piece> pieces_;         // where the window's bytes stand in the file
  std::vector<std::uint8_t> ahead_;   // the stream from aheadStart_ on, read for pictures
  std::int64_t aheadStart_ = 0;       // that reach past the window
  StreamPos aheadEnd_;                // where reading ahead_ goes on
  bool aheadEnded_ = false;           // ahead_ reaches the end of the stream
  std::int64_t windowStart_ = 0;
  std::int64_t skipUntil_ = 0;  // headers before this stream position belong to a find
  bool stopped_ = false;
};

}  // namespace

DecodeStatus scanSource(const ScanSource& source, SectorLayout layout, const FoundVisitor& visit,
                        const SectorWatch& watch) {
  Scanner scanner(source, layout, visit);
  if (watch) scanner.watch(watch);
  return scanner.run();
}
