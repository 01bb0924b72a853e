#pragma once

// The browser's files: what the page was given by a drop or the file picker, copied into memory
// one drop at a time. Paths are the names the page gave ("pic.img", "folder/pic2.img"), folders
// are registered by name, and a file too large to copy is known by its size alone.

#include <map>
#include <set>

#include "viewerplatform.h"

class MemoryFiles final : public FileSource {
 public:
  // Forgets every file and folder: a new drop begins.
  void clear();
  // Room for the `size` bytes of the file at path, for the page to fill; null when the file is
  // larger than the viewer reads (it is then refused as too large when shown) or memory is out.
  std::uint8_t* add(const std::string& path, std::int64_t size);
  void addFolder(const std::string& path);
  // The page could not read the file after all (gone, or no permission): it cannot be opened.
  void remove(const std::string& path) { files_.erase(path); }
  // An entry that is refused for `reason` when shown (a scanned file without pictures).
  void refuse(const std::string& path, DecodeStatus reason);

  DecodeStatus read(const std::string& path, std::int64_t maxBytes, FileCopy& copy) override;
  std::vector<std::string> expandFolders(const std::vector<std::string>& paths) override;

 private:
  struct File {
    std::vector<std::uint8_t> bytes;
    std::int64_t size = 0;  // as the page reported it; bytes is empty when it was too large
    DecodeStatus refusal = DecodeStatus::ok;
  };
  std::vector<std::string> picturesInFolder(const std::string& folder) const;

  std::map<std::string, File> files_;
  std::set<std::string> folders_;
};
