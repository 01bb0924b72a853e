#pragma once

// Files that are not plain pictures, made on demand in a test folder.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A FIFO with no writer: opening it for reading blocks unless the reader asks not to.
inline std::string makeFifo(const std::filesystem::path& path) {
  ::mkfifo(path.c_str(), 0644);
  return path.string();
}

// A Unix socket: there, but opening it fails.
inline std::string makeSocket(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.string().copy(address.sun_path, sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  ::close(fd);
  return path.string();
}

// A file of `size` bytes that takes no disk space (a hole).
inline std::string makeSparse(const std::filesystem::path& path, std::uintmax_t size) {
  { std::ofstream create(path); }
  std::filesystem::resize_file(path, size);
  return path.string();
}

// A kernel file whose size says 4096 bytes but which delivers only a line of text: a file that
// is shorter than its size by the time it is read. Empty when this system has none.
inline std::string shrinkingKernelFile() {
  for (const char* path :
       {"/sys/kernel/mm/transparent_hugepage/enabled", "/sys/kernel/mm/transparent_hugepage/defrag",
        "/sys/power/state", "/sys/kernel/profiling"}) {
    struct stat info {};
    if (::stat(path, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 4096 &&
        ::access(path, R_OK) == 0) {
      return path;
    }
  }
  return {};
}
