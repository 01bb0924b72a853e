#pragma once

// The desktop shells' platform: files read from the disk, pictures saved as PNG files beside the
// file they came from.

#include "viewerplatform.h"

class DiskFiles final : public FileSource {
 public:
  DecodeStatus read(const std::string& path, std::int64_t maxBytes, FileCopy& copy) override;
  std::vector<std::string> expandFolders(const std::vector<std::string>& paths) override;
};

class DiskSaver final : public PictureSaver {
 public:
  // Written atomically under the first free name; should another program take that name before
  // the write lands, the write leaves its file alone and the next free name is tried.
  SaveResult save(const RgbImage& image, const std::string& name) override;
};

// One of each for the program's life, the default of every ViewerCore.
FileSource& diskFiles();
PictureSaver& diskSaver();
