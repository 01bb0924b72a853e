#include "atomicwrite.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// The temporary file being written, for the signal handler; empty when there is none. A fixed
// buffer: the handler may only read memory and call async-signal-safe functions.
char pendingTemporary[4096];

void onSignal(int signal) {
  if (pendingTemporary[0] != '\0') ::unlink(pendingTemporary);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

std::string systemError(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

#ifdef _WIN32
constexpr int kCreateFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
int syncFile(int fd) {
  return _commit(fd);
}
void keepOwnerAndMode(int, const struct stat&) {}  // the new file takes the folder's defaults
void syncFolderOf(const std::string&) {}           // MOVEFILE_WRITE_THROUGH covers it
bool replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  errno = EACCES;  // the reason is in GetLastError(); errno feeds the message
  return false;
}
#else
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW;
int syncFile(int fd) {
  return ::fsync(fd);
}
// The replacement keeps the permissions (and, where allowed, the owner) of the file it replaces.
void keepOwnerAndMode(int fd, const struct stat& replaced) {
  ::fchmod(fd, replaced.st_mode & 07777);
  if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
    // Only root may give a file away; the file stays the writer's, with the mode kept.
  }
}
// So that the rename itself survives a power loss.
void syncFolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
bool replaceFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}
#endif

// Where a write to `path` must land: through symbolic links to the file they name, so that the
// link itself (say /dev/stdout redirected to a file) is never replaced.
std::string resolveLinks(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  const auto target = std::filesystem::weakly_canonical(path, error);
  return error ? path : target.string();
}

// Writes all of bytes to fd; "" or the reason.
std::string writeAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t ask = std::min<std::size_t>(bytes.size() - done, 1u << 30);
    const auto wrote = ::write(fd, bytes.data() + done, static_cast<unsigned>(ask));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return systemError("cannot write");
    done += static_cast<std::size_t>(wrote);
  }
  return {};
}

// A new, empty, exclusively created file beside `path`: ".NAME.XXXXXX.tmp" in the same folder,
// so that the rename stays on one file system. Signals are held while its name is recorded.
int createTemporary(const std::string& path, std::string& temporary) {
  const std::filesystem::path target(path);
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = ".";
    name.append(target.filename().string()).append(".");
    name.append(std::to_string(random() % 1000000)).append(".tmp");
    temporary = (target.parent_path() / name).string();
    if (temporary.size() >= sizeof pendingTemporary) {
      errno = ENAMETOOLONG;
      return -1;
    }
#ifndef _WIN32
    sigset_t all, previous;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &previous);
#endif
    const int fd = ::open(temporary.c_str(), kCreateFlags, 0666);  // the umask applies
    if (fd >= 0) std::memcpy(pendingTemporary, temporary.c_str(), temporary.size() + 1);
#ifndef _WIN32
    sigprocmask(SIG_SETMASK, &previous, nullptr);
#endif
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void forgetTemporary(bool remove) {
  if (remove && pendingTemporary[0] != '\0') ::unlink(pendingTemporary);
  pendingTemporary[0] = '\0';
}

#ifndef _WIN32  // a device or FIFO is written in place: no temporary file can stand in for it
std::string writeStream(const std::string& path, std::span<const std::uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  if (fd < 0) return systemError("cannot open");
  std::string error = writeAll(fd, bytes);
  if (::close(fd) != 0 && error.empty()) error = systemError("cannot write");
  return error;
}
#endif

}  // namespace

std::string writeFileAtomically(const std::string& givenPath, std::span<const std::uint8_t> bytes) {
  struct stat existing {};
  const bool replacing = ::stat(givenPath.c_str(), &existing) == 0;
  if (replacing) {
    if (S_ISDIR(existing.st_mode)) return "is a folder";
#ifndef _WIN32
    if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode)) {
      return writeStream(givenPath, bytes);
    }
#endif
    if (!S_ISREG(existing.st_mode)) return "exists and is not a regular file";
  }
  const std::string path = resolveLinks(givenPath);
  std::string temporary;
  const int fd = createTemporary(path, temporary);
  if (fd < 0) return systemError("cannot create a file in its folder");
  if (replacing) keepOwnerAndMode(fd, existing);
  std::string error = writeAll(fd, bytes);
  if (error.empty() && syncFile(fd) != 0) error = systemError("cannot write");
  if (::close(fd) != 0 && error.empty()) error = systemError("cannot write");
  if (error.empty() && !replaceFile(temporary, path)) error = systemError("cannot replace");
  forgetTemporary(!error.empty());
  if (error.empty()) syncFolderOf(path);
  return error;
}

std::string writeStandardOutput(std::span<const std::uint8_t> bytes) {
#ifdef _WIN32
  _setmode(1, _O_BINARY);
#endif
  return writeAll(1, bytes);
}

void removeTemporaryFileOnSignals() {
  for (int signal : {SIGINT, SIGTERM
#ifdef SIGHUP
                     ,
                     SIGHUP
#endif
       }) {
    std::signal(signal, onSignal);
  }
}
