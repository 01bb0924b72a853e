#include "filecopy.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>

#ifdef _WIN32
#include <io.h>
#define stat _stat64
#define fstat _fstat64
#define read _read
#define close _close
constexpr int kOpenFlags = _O_RDONLY | _O_BINARY;
constexpr unsigned kMostPerRead = 1u << 30;  // _read takes an unsigned count
#else
#include <unistd.h>
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
constexpr unsigned kMostPerRead = 1u << 30;
#endif

namespace {

class FileHandle {
 public:
  explicit FileHandle(const char* path) : fd_(::open(path, kOpenFlags)) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Reads exactly size bytes unless the file ends or fails first; returns the bytes read.
std::int64_t readAll(int fd, std::uint8_t* into, std::int64_t size, ReadCall readCall) {
  std::int64_t done = 0;
  while (done < size) {
    const auto got = readCall(fd, into + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += got;
  }
  return done;
}

// Why a path did not open. Windows refuses to open a folder at all, so ask what the path is
// before calling it unopenable.
DecodeStatus openFailure(const char* path) {
  struct stat info {};
  if (::stat(path, &info) == 0 && (info.st_mode & S_IFMT) != S_IFREG) {
    return DecodeStatus::notRegularFile;
  }
  return DecodeStatus::cannotOpen;
}

}  // namespace

std::int64_t readFromFile(int fd, std::uint8_t* into, std::int64_t count) {
  const unsigned ask = count < kMostPerRead ? static_cast<unsigned>(count) : kMostPerRead;
  return ::read(fd, into, ask);
}

DecodeStatus readFileCopy(const char* path, std::int64_t maxBytes, FileCopy& copy,
                          ReadCall readCall) {
  if (path == nullptr) return DecodeStatus::cannotOpen;
  FileHandle file(path);
  if (file.fd() < 0) return openFailure(path);
  struct stat info {};
  if (::fstat(file.fd(), &info) != 0) return DecodeStatus::cannotOpen;
  if ((info.st_mode & S_IFMT) != S_IFREG) return DecodeStatus::notRegularFile;
  const std::int64_t size = info.st_size;
  if (size <= 0) return DecodeStatus::empty;
  if (size > maxBytes) return DecodeStatus::tooLarge;
  std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]);
  if (!bytes) return DecodeStatus::outOfMemory;
  if (readAll(file.fd(), bytes.get(), size, readCall) != size) return DecodeStatus::shortRead;
  copy.bytes = std::move(bytes);
  copy.size = size;
  return DecodeStatus::ok;
}
