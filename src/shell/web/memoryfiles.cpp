#include "memoryfiles.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "decode.h"
#include "filelist.h"

void MemoryFiles::clear() {
  files_.clear();
  folders_.clear();
}

std::uint8_t* MemoryFiles::add(const std::string& path, std::int64_t size) {
  File& file = files_[path];
  file = File{.size = std::max<std::int64_t>(size, 0)};
  if (file.size == 0 || file.size > kMaxFileBytes) return nullptr;
  try {
    file.bytes.resize(static_cast<std::size_t>(file.size));
  } catch (const std::bad_alloc&) {
    file.size = kMaxFileBytes + 1;  // refused when shown, as a file too large to hold
    return nullptr;
  }
  return file.bytes.data();
}

void MemoryFiles::refuse(const std::string& path, DecodeStatus reason) {
  files_[path] = File{.refusal = reason};
}

void MemoryFiles::addFolder(const std::string& path) {
  folders_.insert(path);
}

DecodeStatus MemoryFiles::read(const std::string& path, std::int64_t maxBytes, FileCopy& copy) {
  if (folders_.contains(path)) return DecodeStatus::notRegularFile;
  const auto it = files_.find(path);
  if (it == files_.end()) return DecodeStatus::cannotOpen;
  const File& file = it->second;
  if (file.refusal != DecodeStatus::ok) return file.refusal;
  if (file.size == 0) return DecodeStatus::empty;
  if (file.size > maxBytes) return DecodeStatus::tooLarge;
  // Added but never filled (too large for memory when it came): as a file that read short.
  if (file.bytes.size() != static_cast<std::size_t>(file.size)) return DecodeStatus::shortRead;
  std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[file.bytes.size()]);
  if (!bytes) return DecodeStatus::outOfMemory;
  std::memcpy(bytes.get(), file.bytes.data(), file.bytes.size());
  copy.bytes = std::move(bytes);
  copy.size = file.size;
  return DecodeStatus::ok;
}

std::vector<std::string> MemoryFiles::picturesInFolder(const std::string& folder) const {
  const std::string prefix = folder + "/";
  std::vector<std::string> names;
  for (auto it = files_.lower_bound(prefix); it != files_.end(); ++it) {
    const std::string& path = it->first;
    if (path.compare(0, prefix.size(), prefix) != 0) break;
    const std::string_view name = std::string_view(path).substr(prefix.size());
    if (name.find('/') != std::string_view::npos) continue;  // in a folder below
    if (looksLikeCdiImage(it->second.bytes)) names.emplace_back(name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
  for (std::string& name : names)
    name.insert(0, prefix);
  return names;
}

std::vector<std::string> MemoryFiles::expandFolders(const std::vector<std::string>& paths) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    if (!folders_.contains(path)) {
      files.push_back(path);
      continue;
    }
    const std::vector<std::string> pictures = picturesInFolder(path);
    files.insert(files.end(), pictures.begin(), pictures.end());
  }
  return files;
}
