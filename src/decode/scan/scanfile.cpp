#include "scanfile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define stat _stat64
#define fstat _fstat64
constexpr int kOpenFlags = _O_RDONLY | _O_BINARY;
#else
#include <unistd.h>
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#endif

namespace {

constexpr std::int64_t kMostPerRead = std::int64_t{1} << 30;
constexpr std::int64_t kLayoutBytes = 16 * kRawSectorBytes;

// One read at `offset`, repeated until n bytes, the end of the file or an error.
std::int64_t readAt(int fd, std::int64_t offset, std::uint8_t* into, std::int64_t n) {
  std::int64_t done = 0;
  while (done < n) {
    const std::int64_t ask = std::min(n - done, kMostPerRead);
#ifdef _WIN32
    if (_lseeki64(fd, offset + done, SEEK_SET) < 0) return -1;
    const std::int64_t got = _read(fd, into + done, static_cast<unsigned>(ask));
#else
    const std::int64_t got = ::pread(fd, into + done, static_cast<std::size_t>(ask), offset + done);
#endif
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace

ScanFile::~ScanFile() {
#ifdef _WIN32
  if (fd_ >= 0) _close(fd_);
#else
  if (fd_ >= 0) ::close(fd_);
#endif
}

DecodeStatus ScanFile::open(const char* path) {
  if (path == nullptr) return DecodeStatus::cannotOpen;
  fd_ = ::open(path, kOpenFlags);
  struct stat info {};
  if (fd_ < 0) {
    const bool other = ::stat(path, &info) == 0 && (info.st_mode & S_IFMT) != S_IFREG;
    return other ? DecodeStatus::notRegularFile : DecodeStatus::cannotOpen;
  }
  if (::fstat(fd_, &info) != 0) return DecodeStatus::cannotOpen;
  if ((info.st_mode & S_IFMT) != S_IFREG) return DecodeStatus::notRegularFile;
  if (info.st_size <= 0) return DecodeStatus::empty;
  const int fd = fd_;
  source_.size = info.st_size;
  source_.readAt = [fd](std::int64_t offset, std::uint8_t* into, std::int64_t n) {
    return readAt(fd, offset, into, n);
  };
  return DecodeStatus::ok;
}

SectorLayout ScanFile::detectLayout(std::vector<std::uint8_t>& start) const {
  start.resize(static_cast<std::size_t>(std::min(source_.size, kLayoutBytes)));
  const std::int64_t got = source_.readAt(0, start.data(), static_cast<std::int64_t>(start.size()));
  start.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
  return detectSectorLayout(ByteView(start), source_.size);
}
