#include "atomicwrite.h"

#include "utf8path.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

// The temporary files being written, for the signal handler: one slot per write in progress.
// Fixed buffers and lock-free states, since the handler may only read memory, use lock-free
// atomics and call async-signal-safe functions. A writer claims a free slot, then creates the
// file and records its name (kNaming) with signals blocked in its thread, so the handler, which
// waits out kNaming, never waits for its own thread.
struct TemporarySlot {
  enum State : int { kFree, kClaimed, kNaming, kNamed, kRemoving };
  std::atomic<int> state{kFree};
  char name[4096] = {};
};

namespace {

using enum TemporarySlot::State;
constexpr int kSlots = 128;  // more writers than this at once wait for a slot
constinit TemporarySlot pendingTemporaries[kSlots];
static_assert(std::atomic<int>::is_always_lock_free);

// Takes every slot for good, removing the files named in them, so that no thread can record a
// new temporary file while the program ends.
void onSignal(int signal) {
  for (TemporarySlot& slot : pendingTemporaries) {
    for (int state = slot.state.load(); state != kRemoving; state = slot.state.load()) {
      if (state == kNaming) continue;  // another thread is between open() and recording the name
      if (slot.state.compare_exchange_strong(state, kRemoving)) {
        if (state == kNamed) ::unlink(slot.name);
        break;
      }
    }
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

std::string systemError(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

#ifdef _WIN32
constexpr int kCreateFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
unsigned processId() {
  return GetCurrentProcessId();
}
int syncFile(int fd) {
  return _commit(fd);
}
void keepOwnerAndMode(int, const struct stat&) {}  // the new file takes the folder's defaults
std::string syncFolder(const std::string&) {       // MOVEFILE_WRITE_THROUGH covers it
  return {};
}
bool placeFile(const std::string& from, const std::string& to, bool replace) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (MoveFileExA(from.c_str(), to.c_str(), flags)) return true;
  const DWORD reason = GetLastError();
  errno = reason == ERROR_ALREADY_EXISTS || reason == ERROR_FILE_EXISTS ? EEXIST : EACCES;
  return false;
}
#else
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW;
unsigned processId() {
  return static_cast<unsigned>(::getpid());
}
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
// So that the renames into it survive a power loss; "" or the reason.
std::string syncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {};  // a folder we may not open was written through a path we could
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;  // EINVAL: cannot be synced at all
  ::close(fd);
  return synced ? std::string() : systemError("cannot sync the folder");
}
// Without `replace`, an existing `to` fails with EEXIST, atomically: no other writer can slip in
// between a check and the rename. File systems without that rename get a hard link instead.
bool placeFile(const std::string& from, const std::string& to, bool replace) {
  if (replace) return ::rename(from.c_str(), to.c_str()) == 0;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}
#endif

// Where a write to `path` must land: through symbolic links to the file they name, so that the
// link itself (say /dev/stdout redirected to a file) is never replaced.
std::string resolveLinks(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(pathFromUtf8(path), error)) return path;
  const auto target = std::filesystem::weakly_canonical(pathFromUtf8(path), error);
  return error ? path : utf8FromPath(target);
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

// A free slot for the name of a temporary file, now kClaimed.
TemporarySlot& claimSlot() {
  while (true) {
    for (TemporarySlot& slot : pendingTemporaries) {
      int free = kFree;
      if (slot.state.compare_exchange_strong(free, kClaimed)) return slot;
    }
    std::this_thread::yield();
  }
}

// A new, empty, exclusively created file beside `path`: ".NAME.XXXXXX.tmp" in the same folder,
// so that the rename stays on one file system, recorded in `slot` for the signal handler. Signals
// are held in this thread while the name is recorded.
int createTemporary(const std::string& path, std::string& temporary, TemporarySlot& slot) {
  const std::filesystem::path target = pathFromUtf8(path);
  // Numbers differ between the files of one process, and from another process's by its id;
  // a name taken all the same is skipped (O_EXCL).
  static std::atomic<unsigned> serial{0};
  const unsigned base = processId() * 7919u;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = ".";
    name.append(utf8FromPath(target.filename())).append(".");
    name.append(std::to_string((base + serial++) % 1000000)).append(".tmp");
    temporary = utf8FromPath(target.parent_path() / pathFromUtf8(name));
    if (temporary.size() >= sizeof slot.name) {
      errno = ENAMETOOLONG;
      return -1;
    }
#ifndef _WIN32
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
#endif
    int fd = -1;
    errno = EINTR;  // when a signal handler has taken the slot: the program is ending
    if (int claimed = kClaimed; slot.state.compare_exchange_strong(claimed, kNaming)) {
      fd = ::open(temporary.c_str(), kCreateFlags, 0666);  // the umask applies
      if (fd >= 0) std::memcpy(slot.name, temporary.c_str(), temporary.size() + 1);
      slot.state.store(fd >= 0 ? kNamed : kClaimed);
    }
#ifndef _WIN32
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
#endif
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the slot back, removing its file first when asked. When a signal handler has taken the
// slot the program is ending, and the handler removes the file.
void releaseSlot(TemporarySlot& slot, bool remove) {
  if (remove && slot.state.load() == kNamed) ::unlink(slot.name);
  int named = kNamed, claimed = kClaimed;  // kClaimed: the file was never created
  if (!slot.state.compare_exchange_strong(named, kFree)) {
    slot.state.compare_exchange_strong(claimed, kFree);
  }
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

void FolderSyncs::add(const std::string& folder) {
  const std::lock_guard lock(mutex_);
  folders_.insert(folder);
}

std::string FolderSyncs::syncAll() {
  const std::lock_guard lock(mutex_);
  for (const std::string& folder : folders_) {
    if (std::string error = syncFolder(folder); !error.empty()) {
      return (folder.empty() ? std::string(".") : folder) + ": " + error;
    }
  }
  folders_.clear();
  return {};
}

PendingFile::~PendingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (slot_ != nullptr) releaseSlot(*slot_, true);
}

std::string PendingFile::begin(const std::string& givenPath, std::span<const std::uint8_t> bytes,
                               bool replace) {
  replace_ = replace;
  struct stat existing {};
  const bool replacing = ::stat(givenPath.c_str(), &existing) == 0;
  if (replacing && !replace) return kFileExists;
  if (replacing) {
    if (S_ISDIR(existing.st_mode)) return "is a folder";
#ifndef _WIN32
    if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode)) {
      return writeStream(givenPath, bytes);
    }
#endif
    if (!S_ISREG(existing.st_mode)) return "exists and is not a regular file";
  }
  path_ = resolveLinks(givenPath);
  slot_ = &claimSlot();
  fd_ = createTemporary(path_, temporary_, *slot_);
  if (fd_ < 0) {
    const std::string error = systemError("cannot create a file in its folder");
    releaseSlot(*slot_, false);
    slot_ = nullptr;
    return error;
  }
  if (replacing) keepOwnerAndMode(fd_, existing);
  std::string error = writeAll(fd_, bytes);
#ifdef SYNC_FILE_RANGE_WRITE
  // Start the disk writes now; the sync in finish() then mostly waits for what is under way.
  if (error.empty()) ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  return error;
}

std::string PendingFile::finish(FolderSyncs* laterSyncs) {
  if (slot_ == nullptr) return {};  // written in place, or nothing to do
  std::string error;
  if (syncFile(fd_) != 0) error = systemError("cannot write");
  if (::close(fd_) != 0 && error.empty()) error = systemError("cannot write");
  fd_ = -1;
  if (error.empty() && !placeFile(temporary_, path_, replace_)) {
    error = errno == EEXIST && !replace_ ? kFileExists : systemError("cannot replace");
  }
  releaseSlot(*slot_, !error.empty());
  slot_ = nullptr;
  if (!error.empty()) return error;
  const std::string folder = utf8FromPath(pathFromUtf8(path_).parent_path());
  if (laterSyncs == nullptr) return syncFolder(folder);
  laterSyncs->add(folder);
  return {};
}

std::string writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                FolderSyncs* laterSyncs) {
  PendingFile file;
  std::string error = file.begin(path, bytes);
  return error.empty() ? file.finish(laterSyncs) : error;
}

std::string writeNewFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  PendingFile file;
  std::string error = file.begin(path, bytes, false);
  return error.empty() ? file.finish() : error;
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
