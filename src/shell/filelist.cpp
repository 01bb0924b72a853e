#include "filelist.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "utf8path.h"
#include "viewercore.h"

namespace fs = std::filesystem;

bool looksLikeCdiImage(const std::string& path) {
  std::ifstream in(pathFromUtf8(path), std::ios::binary);
  std::uint8_t head[12] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
  return looksLikeCdiImage(head);
}

bool looksLikeCdiImage(std::span<const std::uint8_t> head) {
  if (head.size() < 12) return false;
  const bool form = std::memcmp(head.data(), "FORM", 4) == 0;
  const bool cat = std::memcmp(head.data(), "CAT ", 4) == 0;
  return (form || cat) && std::memcmp(head.data() + 8, "IMAG", 4) == 0;
}

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "0x" and a hexadecimal digit: how --scan names the offset of a picture found.
bool startsHex(std::string_view s) {
  return s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && isHexDigit(s[2]);
}

// The number at the start of s (its digits, or its hexadecimal digits after "0x"), in lower
// case and without leading zeros, so that its length and then its text order it; `length` is
// what it takes of s.
std::string numberRun(std::string_view s, bool hex, std::size_t& length) {
  length = hex ? 2 : 0;
  while (length < s.size() && (hex ? isHexDigit(s[length]) : isDigit(s[length])))
    ++length;
  std::string run(s.substr(hex ? 2 : 0, length - (hex ? 2 : 0)));
  for (char& c : run)
    c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
  const std::size_t zeros = std::min(run.find_first_not_of('0'), run.size() - 1);
  return run.substr(zeros);
}

}  // namespace

bool naturalLess(std::string_view a, std::string_view b) {
  std::string_view x = a, y = b;
  while (!x.empty() && !y.empty()) {
    if (isDigit(x.front()) && isDigit(y.front())) {
      const bool hex = startsHex(x) && startsHex(y);
      std::size_t lengthX = 0, lengthY = 0;
      const std::string runX = numberRun(x, hex, lengthX), runY = numberRun(y, hex, lengthY);
      if (runX.size() != runY.size()) return runX.size() < runY.size();
      if (runX != runY) return runX < runY;
      x.remove_prefix(lengthX), y.remove_prefix(lengthY);
      continue;
    }
    if (x.front() != y.front()) {
      return static_cast<unsigned char>(x.front()) < static_cast<unsigned char>(y.front());
    }
    x.remove_prefix(1), y.remove_prefix(1);
  }
  if (x.empty() != y.empty()) return x.empty();
  return a < b;  // same by value: "pic02" and "pic2" still get one order
}

std::vector<std::string> picturesInFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(pathFromUtf8(folder), error), end; !error && it != end;
       it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    const std::string path = utf8FromPath(it->path());
    if (looksLikeCdiImage(path)) names.push_back(utf8FromPath(it->path().filename()));
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
  std::vector<std::string> paths;
  paths.reserve(names.size());
  for (const std::string& name : names)
    paths.push_back(utf8FromPath(pathFromUtf8(folder) / pathFromUtf8(name)));
  return paths;
}

std::vector<std::string> expandFolders(const std::vector<std::string>& paths) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code error;
    if (fs::is_directory(pathFromUtf8(path), error)) {
      const std::vector<std::string> pictures = picturesInFolder(path);
      files.insert(files.end(), pictures.begin(), pictures.end());
    } else {
      files.push_back(path);
    }
  }
  return files;
}

std::vector<std::string> filesFromArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {};
  std::string joined;
  for (const std::string& argument : arguments)
    joined += (joined.empty() ? "" : " ") + argument;
  std::error_code error;
  if (arguments.size() == 1 || fs::exists(pathFromUtf8(argvlineFrom(joined.c_str())), error)) {
    return expandFolders({argvlineFrom(joined.c_str())});
  }
  return expandFolders(arguments);
}

bool FileList::move(int step) {
  if (paths_.empty()) return false;
  const auto last = static_cast<std::ptrdiff_t>(paths_.size()) - 1;
  const std::ptrdiff_t wanted =
      std::clamp<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(index_) + step, 0, last);
  if (static_cast<std::size_t>(wanted) == index_) return false;
  index_ = static_cast<std::size_t>(wanted);
  return true;
}

bool FileList::jump(int where) {
  if (paths_.empty()) return false;
  return move(where == 0 ? -static_cast<int>(index_) : static_cast<int>(paths_.size()));
}

void FileList::append(ScannedFiles scanned) {
  scanned_.resize(paths_.size());
  for (std::size_t i = 0; i < scanned.paths.size(); ++i) {
    paths_.push_back(std::move(scanned.paths[i]));
    scanned_.push_back(scanned.pictures[i]);
  }
}

ScannedFiles scanFiles(const std::vector<std::string>& paths) {
  ScannedFiles scanned;
  std::vector<FoundPicture> found;
  for (const std::string& path : paths) {
    const DecodeStatus status = findPictures(path.c_str(), found);
    if (found.empty()) {
      scanned.paths.push_back(path);
      scanned.pictures.push_back(
          {status == DecodeStatus::ok ? DecodeStatus::noPicture : status, {}});
    }
    // A file that could not be read to its end still lists what was found before.
    for (const FoundPicture& picture : found) {
      scanned.paths.push_back(path);
      scanned.pictures.push_back({DecodeStatus::ok, picture});
    }
  }
  return scanned;
}

std::string foundName(const std::string& path, std::int64_t offset) {
  char hex[24];
  const auto end = std::to_chars(hex, hex + sizeof hex, offset, 16).ptr;
  return path + "@0x" + std::string(hex, end);
}
