#pragma once

// The user data of a file read forward in pieces: the whole file when it is plain, the joined
// user data of its sectors when it is a raw CD image. Positions in this stream are "stream"
// positions; each piece read remembers where in the file it came from.

#include <cstdint>
#include <functional>
#include <vector>

#include "sectors.h"

// A file read by position: up to n bytes at `offset` into `into`; the count read (short only at
// the end of the file) or -1 on a read error.
using ReadAt = std::function<std::int64_t(std::int64_t offset, std::uint8_t* into, std::int64_t n)>;

struct ScanSource {
  std::int64_t size = 0;
  ReadAt readAt;
};

// `bytes` bytes of `source` from `start` on (a track of a disc image), read as a file of its own.
ScanSource partOf(const ScanSource& source, std::int64_t start, std::int64_t bytes);
// `source` with the two bytes of every 16-bit word exchanged, as a ROM dump read from 16-bit
// chips byte by byte stores them: bytes 2k and 2k + 1 trade places (an odd last byte stays).
ScanSource swappedWords(const ScanSource& source);

// Where reading resumes: `skip` bytes into the user data of sector `sector` (for a plain file,
// of a fixed-size block), which is byte `stream` of the stream.
struct StreamPos {
  std::int64_t sector = 0;
  std::int64_t skip = 0;
  std::int64_t stream = 0;
};

// Bytes of the stream that stand together in the file.
struct Piece {
  StreamPos start;
  std::int64_t file = 0;  // file offset of its first byte
  std::int64_t length = 0;
};

// Shown each sector of a sector image as a reader passes it: its index, its bytes, and the
// sector after it when at hand (null otherwise).
using SectorWatch =
    std::function<void(std::int64_t sector, const std::uint8_t* at, const std::uint8_t* next)>;

class UserDataReader {
 public:
  UserDataReader(const ScanSource& source, SectorLayout layout);

  // Shows `watch` every sector that reads noting pieces pass, each once, in file order, as long
  // as those reads go forward from sector 0 (as the scan's windows do).
  void watch(SectorWatch watch) { watch_ = std::move(watch); }

  // Appends to `out` the stream from `pos` on, until `want` bytes were added or the stream ends,
  // and moves `pos` past them. Notes each piece in `pieces` when given. False on a read error.
  bool read(StreamPos& pos, std::int64_t want, std::vector<std::uint8_t>& out,
            std::vector<Piece>* pieces);

  SectorLayout layout() const { return layout_; }

 private:
  bool readPlain(StreamPos& pos, std::int64_t want, std::vector<std::uint8_t>& out,
                 std::vector<Piece>* pieces);

  const ScanSource& source_;
  SectorLayout layout_;
  std::vector<std::uint8_t> sectors_;  // a batch of whole sectors, as the file holds them
  SectorWatch watch_;
  std::int64_t watched_ = 0;  // sectors shown to watch_
};

// The file offset of stream position `stream`, which lies in one of `pieces`; -1 otherwise.
std::int64_t fileOffsetOf(const std::vector<Piece>& pieces, std::int64_t stream);
// The reading position of stream position `stream` in `pieces`.
StreamPos streamPosOf(const std::vector<Piece>& pieces, std::int64_t stream);
