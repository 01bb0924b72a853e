#include "diskplatform.h"

#include "atomicwrite.h"
#include "filelist.h"
#include "imageencode.h"
#include "outputname.h"

DecodeStatus DiskFiles::read(const std::string& path, std::int64_t maxBytes, FileCopy& copy) {
  return readFileCopy(path.c_str(), maxBytes, copy);
}

std::vector<std::string> DiskFiles::expandFolders(const std::vector<std::string>& paths) {
  return ::expandFolders(paths);
}

SaveResult DiskSaver::save(const RgbImage& image, const std::string& name) {
  SaveResult result;
  const std::vector<std::uint8_t> bytes = encodeImage(image, ImageFormat::png, result.error);
  result.name = freeOutputPath(name);
  for (int attempt = 1; result.error.empty() && attempt <= 100; ++attempt) {
    result.error = writeNewFileAtomically(result.name, bytes);
    if (result.error != kFileExists || attempt == 100) break;
    result.error.clear();
    result.name = freeOutputPath(name);
  }
  return result;
}

FileSource& diskFiles() {
  static DiskFiles files;
  return files;
}

PictureSaver& diskSaver() {
  static DiskSaver saver;
  return saver;
}
