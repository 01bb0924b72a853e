#pragma once

#include <cstdint>
#include <span>
#include <string>

// Puts `bytes` at `path` so that `path` is either left as it was or holds the whole new content:
// the bytes go to a temporary file in the same folder, are flushed to disk, and the temporary
// file is then renamed over `path`. A character device or FIFO named as `path` (such as
// /dev/stdout) is written directly, and every write error is reported. Returns "" on success,
// otherwise the reason, and no temporary file is left behind.
std::string writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes `bytes` to standard output (in binary mode); "" or the reason.
std::string writeStandardOutput(std::span<const std::uint8_t> bytes);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary file being written, if any, before the
// program ends as it would have by that signal. Call once at start-up.
void removeTemporaryFileOnSignals();
