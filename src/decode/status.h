#pragma once

// Why a file could not be shown. One value per reason, one text per value.
enum class DecodeStatus {
  ok = 0,
  cannotOpen,      // open() failed: missing file, no permission, ...
  notRegularFile,  // a directory, FIFO, device or socket
  empty,           // zero bytes long
  tooLarge,        // larger than kMaxFileBytes
  shortRead,       // fewer bytes arrived than the file's size promised
  outOfMemory,     // no memory for the file copy or the frame buffer
  tooShort,        // fewer than the 12 bytes of a container header
  notCdiImage,     // the container header is neither FORM....IMAG nor CAT ....IMAG
};

inline constexpr int kDecodeStatusCount = static_cast<int>(DecodeStatus::notCdiImage) + 1;

// A short, lower-case sentence fragment for messages such as "imag2png: PATH: <text>".
// Never null; an out-of-range value yields "unknown error".
const char* decodeStatusText(DecodeStatus status);
