#pragma once

#include <cstdint>
#include <memory>

#include "byteview.h"
#include "status.h"

// A whole file in memory, read with one size taken up front.
struct FileCopy {
  std::unique_ptr<std::uint8_t[]> bytes;
  std::int64_t size = 0;

  ByteView view() const { return ByteView({bytes.get(), static_cast<std::size_t>(size)}); }
};

// One read as read(2) makes it: up to `count` bytes at the file's position into `into`; the
// count read, 0 at the end of the file, -1 with errno on error. readFromFile is the system's.
using ReadCall = std::int64_t (*)(int fd, std::uint8_t* into, std::int64_t count);
std::int64_t readFromFile(int fd, std::uint8_t* into, std::int64_t count);

// Reads the regular file at path whole into `copy`. Opens without blocking (a FIFO cannot hang
// it), refuses anything but a regular file, an empty file and one over maxBytes, and reports a
// file that delivers fewer bytes than its size as a short read. `copy` is untouched on failure.
// Tests pass their own readCall to change the file between taking its size and reading it.
DecodeStatus readFileCopy(const char* path, std::int64_t maxBytes, FileCopy& copy,
                          ReadCall readCall = readFromFile);
