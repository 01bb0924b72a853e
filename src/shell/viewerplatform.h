#pragma once

// What the viewer core needs from the system it runs on, filled by each shell: the files it shows
// (the disk on the desktop, the dropped files in the browser) and a place for a saved picture (a
// PNG file beside the picture, or the browser's download). Through these the core needs neither
// a file system nor an image-file library, so it builds wherever the decoder builds. Only the
// desktop's --scan reads files itself, a window at a time; the browser scans in its worker and
// hands over the pictures found, named "NAME@0xOFFSET".

#include <cstdint>
#include <string>
#include <vector>

#include "filecopy.h"
#include "frameimage.h"

class FileSource {
 public:
  virtual ~FileSource() = default;
  // The file at path whole into `copy`, refused when larger than maxBytes: ok, or the reason as
  // readFileCopy gives it (cannotOpen, notRegularFile, empty, tooLarge, shortRead, outOfMemory).
  // `copy` is untouched on failure.
  virtual DecodeStatus read(const std::string& path, std::int64_t maxBytes, FileCopy& copy) = 0;
  // Each path as it stands, except that a folder gives the CD-i pictures directly in it (content
  // sniffed, no recursion), in natural order of their names.
  virtual std::vector<std::string> expandFolders(const std::vector<std::string>& paths) = 0;
};

// What a save did: the name the picture went to, and why it did not when `error` is not empty.
struct SaveResult {
  std::string name;
  std::string error;
};

class PictureSaver {
 public:
  virtual ~PictureSaver() = default;
  // Keeps `image` as a PNG under `name` (the converter's name for it, pictureOutputPath), or
  // the next of NAME-2.png, NAME-3.png, ... where that is taken. Never replaces a file.
  virtual SaveResult save(const RgbImage& image, const std::string& name) = 0;
};
