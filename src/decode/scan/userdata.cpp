#include "userdata.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::int64_t kPlainBlock = std::int64_t{1} << 20;
constexpr std::int64_t kSectorsPerRead = 256;  // about 600 KB a read

const Piece* pieceHolding(const std::vector<Piece>& pieces, std::int64_t stream) {
  const auto after =
      std::upper_bound(pieces.begin(), pieces.end(), stream,
                       [](std::int64_t at, const Piece& piece) { return at < piece.start.stream; });
  if (after == pieces.begin()) return nullptr;
  const Piece& piece = *(after - 1);
  return stream < piece.start.stream + piece.length ? &piece : nullptr;
}

}  // namespace

UserDataReader::UserDataReader(const ScanSource& source, SectorLayout layout)
    : source_(source), layout_(layout) {}

bool UserDataReader::readPlain(StreamPos& pos, std::int64_t want, std::vector<std::uint8_t>& out,
                               std::vector<Piece>* pieces) {
  const std::int64_t at = pos.sector * kPlainBlock + pos.skip;
  const std::int64_t n = std::min(want, std::max<std::int64_t>(source_.size - at, 0));
  if (n == 0) return true;
  const std::size_t old = out.size();
  out.resize(old + static_cast<std::size_t>(n));
  const std::int64_t got = source_.readAt(at, out.data() + old, n);
  if (got < 0) {
    out.resize(old);
    return false;
  }
  out.resize(old + static_cast<std::size_t>(got));
  if (pieces != nullptr && got > 0) pieces->push_back({pos, at, got});
  pos.stream += got;
  pos.sector = (at + got) / kPlainBlock;
  pos.skip = (at + got) % kPlainBlock;
  return got == n;
}

bool UserDataReader::read(StreamPos& pos, std::int64_t want, std::vector<std::uint8_t>& out,
                          std::vector<Piece>* pieces) {
  if (pos.sector < 0 || pos.skip < 0) return false;  // not a position this reader gave
  if (layout_ == SectorLayout::plain) return readPlain(pos, want, out, pieces);
  const std::int64_t bytes = sectorBytes(layout_);
  const std::int64_t count = source_.size / bytes;
  sectors_.resize(static_cast<std::size_t>((kSectorsPerRead + 1) * bytes));
  while (want > 0 && pos.sector < count) {
    const std::int64_t batch = std::min(kSectorsPerRead, count - pos.sector);
    // The sector after the batch too, when there is one: the watch is shown it with the last.
    const std::int64_t held = std::min(batch + 1, count - pos.sector);
    const std::int64_t got = source_.readAt(pos.sector * bytes, sectors_.data(), held * bytes);
    if (got != held * bytes) return false;  // the size was taken up front: short is an error
    const ByteView view(std::span<const std::uint8_t>(sectors_.data(), sectors_.size()));
    for (std::int64_t i = 0; i < batch && want > 0; ++i) {
      if (watch_ && pieces != nullptr && pos.sector >= watched_) {  // pos.sector is sector i's
        const std::uint8_t* at = sectors_.data() + i * bytes;
        watch_(pos.sector, at, i + 1 < held ? at + bytes : nullptr);
        watched_ = pos.sector + 1;
      }
      const UserData data = userDataOf(layout_, view.tail(i * bytes));
      const std::int64_t n = std::min(data.length - pos.skip, want);
      if (n > 0) {
        const std::uint8_t* from = sectors_.data() + i * bytes + data.at + pos.skip;
        out.insert(out.end(), from, from + n);
        if (pieces != nullptr) {
          pieces->push_back({pos, pos.sector * bytes + data.at + pos.skip, n});
        }
        pos.stream += n;
        want -= n;
      }
      if (n > 0 && pos.skip + n < data.length) {
        pos.skip += n;  // stopped inside this sector
      } else {
        pos.skip = 0;
        ++pos.sector;
      }
    }
  }
  return true;
}

ScanSource partOf(const ScanSource& source, std::int64_t start, std::int64_t bytes) {
  ScanSource part;
  part.size = std::clamp<std::int64_t>(source.size - start, 0, bytes);
  part.readAt = [whole = source.readAt, start, size = part.size](
                    std::int64_t offset, std::uint8_t* into, std::int64_t n) {
    if (offset < 0 || offset > size) return std::int64_t{-1};
    return whole(start + offset, into, std::min(n, size - offset));
  };
  return part;
}

ScanSource swappedWords(const ScanSource& source) {
  ScanSource swapped;
  swapped.size = source.size;
  swapped.readAt = [whole = source.readAt, words = std::vector<std::uint8_t>()](
                       std::int64_t offset, std::uint8_t* into, std::int64_t n) mutable {
    if (offset < 0 || n < 0) return std::int64_t{-1};
    const std::int64_t from = offset & ~std::int64_t{1};  // the word the first byte is part of
    words.resize(static_cast<std::size_t>(n + 2));
    const std::int64_t got =
        whole(from, words.data(), ((offset + n + 1) & ~std::int64_t{1}) - from);
    if (got < 0) return got;
    for (std::int64_t i = 0; i + 1 < got; i += 2)
      std::swap(words[i], words[i + 1]);
    const std::int64_t out = std::clamp<std::int64_t>(got - (offset - from), 0, n);
    std::memcpy(into, words.data() + (offset - from), static_cast<std::size_t>(out));
    return out;
  };
  return swapped;
}

std::int64_t fileOffsetOf(const std::vector<Piece>& pieces, std::int64_t stream) {
  const Piece* piece = pieceHolding(pieces, stream);
  return piece ? piece->file + (stream - piece->start.stream) : -1;
}

StreamPos streamPosOf(const std::vector<Piece>& pieces, std::int64_t stream) {
  const Piece* piece = pieceHolding(pieces, stream);
  if (piece == nullptr) return {};
  StreamPos pos = piece->start;
  pos.skip += stream - piece->start.stream;
  pos.stream = stream;
  return pos;
}
