#pragma once

// The files the viewer steps through: taken from the command line or from a drop, folders opened
// to the pictures in them.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "finder.h"

// True when the file at path begins FORM????IMAG or CAT ????IMAG. Reads those 12 bytes only.
bool looksLikeCdiImage(const std::string& path);
// The same test on the first bytes of a file.
bool looksLikeCdiImage(std::span<const std::uint8_t> head);

// Natural order: runs of digits compare by their value ("pic2" before "pic10"), and so do
// hexadecimal numbers after "0x" ("@0xff" before "@0x100", as --scan names offsets); everything
// else byte by byte. Equal values with a different number of leading zeros fall back to plain
// order.
bool naturalLess(std::string_view a, std::string_view b);

// The CD-i pictures directly in folder (content sniffed, other files skipped, no recursion), in
// natural order of their names. Empty when the folder cannot be read.
std::vector<std::string> picturesInFolder(const std::string& folder);

// Each path as it stands, except that a folder gives the pictures in it.
std::vector<std::string> expandFolders(const std::vector<std::string>& paths);

// The files named by command-line arguments (the options already taken out). No argument: none.
// One argument is one path, read as a Windows command line reads it (argvlineFrom). Several:
// when the blank-joined text names an existing file (an unquoted path with blanks), that file;
// otherwise each argument is its own path. Folders are then opened.
std::vector<std::string> filesFromArguments(const std::vector<std::string>& arguments);

// What a scan (dragndrop --scan) made of one file: a picture found in it, or why it shows none.
struct ScannedPicture {
  DecodeStatus status = DecodeStatus::ok;  // of the scan; noPicture when it found nothing
  FoundPicture found;                      // when status is ok
};

// The pictures found in each file, one entry per picture in file order; a file that cannot be
// scanned or holds none gives one entry with the reason, refused when it is shown.
struct ScannedFiles {
  std::vector<std::string> paths;
  std::vector<ScannedPicture> pictures;
};
ScannedFiles scanFiles(const std::vector<std::string>& paths);

// "PATH@0xOFFSET", the offset in lower-case hex, as imag2png --scan names its pictures.
std::string foundName(const std::string& path, std::int64_t offset);

// A position in a list of files; it never wraps around.
class FileList {
 public:
  FileList() = default;
  explicit FileList(std::vector<std::string> paths) : paths_(std::move(paths)) {}
  // One entry per scanned picture; the path of each is its file's.
  explicit FileList(ScannedFiles scanned) { append(std::move(scanned)); }

  bool empty() const { return paths_.empty(); }
  std::size_t size() const { return paths_.size(); }
  std::size_t index() const { return index_; }
  const std::string& current() const { return paths_[index_]; }  // not on an empty list
  void append(std::string path) { paths_.push_back(std::move(path)); }
  // Appends the entries of a scan.
  void append(ScannedFiles scanned);
  // What the scan made of the current entry; null when the entry is a whole file.
  const ScannedPicture* currentScan() const {
    return index_ < scanned_.size() && scanned_[index_] ? &*scanned_[index_] : nullptr;
  }

  // Steps by `step` files, stopping at either end. False when the position did not change.
  bool move(int step);
  // To the first (0) or the last (-1) file. False when already there.
  bool jump(int where);

 private:
  std::vector<std::string> paths_;
  std::vector<std::optional<ScannedPicture>> scanned_;  // beside paths_; shorter: whole files
  std::size_t index_ = 0;
};
