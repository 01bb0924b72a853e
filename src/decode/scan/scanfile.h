#pragma once

// The scanned file, read by position and never held whole.

#include <cstdint>
#include <vector>

#include "sectors.h"
#include "status.h"
#include "userdata.h"

class ScanFile {
 public:
  ScanFile() = default;
  ~ScanFile();
  ScanFile(const ScanFile&) = delete;
  ScanFile& operator=(const ScanFile&) = delete;

  // Opens a regular, non-empty file: cannotOpen, notRegularFile or empty otherwise.
  DecodeStatus open(const char* path);
  // The file's layout, told from its first sectors (read into `start`).
  SectorLayout detectLayout(std::vector<std::uint8_t>& start) const;
  const ScanSource& source() const { return source_; }

 private:
  int fd_ = -1;
  ScanSource source_;
};
