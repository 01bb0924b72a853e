#pragma once

// Writing output files whole or not at all, durably, from any number of threads.
//
// Each output goes to a temporary file ".NAME.NNNNNN.tmp" beside it (same folder, so the same
// file system), is written whole, fsync'd, closed, and only then renamed over NAME. The
// promises, and why they hold:
//  - Never a partial or corrupt output. rename() replaces NAME atomically: readers and a crash
//    see the old NAME or the new one. The new one's data is on disk before the rename is issued
//    (its fsync has returned), so a rename that survives a crash never names missing data.
//  - Never the input overwritten: callers refuse an output that is the input (see imag2png), and
//    a symbolic link is written through, never replaced.
//  - A finished output survives a crash once the program has exited 0. A rename is durable once
//    its folder is synced. Writers may defer that sync to a FolderSyncs, which syncs each folder
//    once, after all its renames; imag2png does so before it exits, and exits 1 if a folder
//    cannot be synced. A crash before then may lose a rename, never data: NAME then holds its old
//    content, whole, and at worst a temporary file is left.
//  - Signals leave no temporary file: each temporary is recorded in a slot that the SIGINT,
//    SIGTERM and SIGHUP handler empties, removing the files, before the program ends by the
//    signal; once the handler has taken the slots no thread can record a new one.
// What keeps syncs off the critical path of a batch: one folder sync per folder instead of one
// per file; disk writes started as soon as a file is written (sync_file_range), so its fsync
// mostly waits for writes already under way; and PendingFile, which lets the converter free the
// picture and hand its processor to the next one while the sync waits on another thread. Many
// syncs waiting at once also share the file system's journal commits.

#include <cstdint>
#include <mutex>
#include <set>
#include <span>
#include <string>

// Folders whose renames still need a sync; any thread may add to it.
class FolderSyncs {
 public:
  void add(const std::string& folder);
  // Syncs every folder added; "" or the first folder that failed with the reason.
  std::string syncAll();

 private:
  std::mutex mutex_;
  std::set<std::string> folders_;
};

struct TemporarySlot;

// One output on its way: begin() writes the bytes to the temporary file and starts the disk
// writes; finish() waits for them, renames the file into place and syncs (or defers) the folder.
// The split lets a caller free the picture and start the next one before the slow part. A file
// never finished is removed when the object goes. Each call returns "" or the reason.
class PendingFile {
 public:
  PendingFile() = default;
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  // With `replace` false an existing `path` is never replaced: begin() or finish() return
  // kFileExists instead, also when another program creates `path` meanwhile.
  std::string begin(const std::string& path, std::span<const std::uint8_t> bytes,
                    bool replace = true);
  std::string finish(FolderSyncs* laterSyncs = nullptr);

 private:
  std::string path_;  // symbolic links resolved
  std::string temporary_;
  int fd_ = -1;
  TemporarySlot* slot_ = nullptr;  // the temporary's name, for the signal handler
  bool replace_ = true;
};

inline constexpr char kFileExists[] = "exists already";

// Puts `bytes` at `path` so that `path` is either left as it was or holds the whole new content.
// A character device or FIFO named as `path` (such as /dev/stdout) is written directly, and every
// write error is reported. The folder is synced after the rename, or added to `laterSyncs` when
// given. Returns "" on success, otherwise the reason, and no temporary file is left behind.
// Safe to call from several threads at once.
std::string writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                FolderSyncs* laterSyncs = nullptr);

// As writeFileAtomically, but a file that exists at `path`, or appears there while writing, is
// left alone and kFileExists returned: for outputs that must never overwrite anything.
std::string writeNewFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes `bytes` to standard output (in binary mode); "" or the reason.
std::string writeStandardOutput(std::span<const std::uint8_t> bytes);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files being written, if any, before the
// program ends as it would have by that signal. Call once at start-up.
void removeTemporaryFileOnSignals();
