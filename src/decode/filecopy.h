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

// Reads the regular file at path whole into `copy`. Opens without blocking (a FIFO cannot hang
// it), refuses anything but a regular file, an empty file and one over maxBytes, and reports a
// file that delivers fewer bytes than its size as a short read. `copy` is untouched on failure.
DecodeStatus readFileCopy(const char* path, std::int64_t maxBytes, FileCopy& copy);
