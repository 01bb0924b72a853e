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
  // Reasons of the accurate profile only:
  noPicture,        // no such picture, no IHDR, or a palette-only model
  badHeader,        // IHDR shorter than 14 bytes, or a width or height of 0
  unknownModel,     // an image model other than 1 to 10
  pictureTooLarge,  // width x height over the cap on pixels
};

inline constexpr int kDecodeStatusCount = static_cast<int>(DecodeStatus::pictureTooLarge) + 1;

// A short, lower-case sentence fragment for messages such as "imag2png: PATH: <text>".
// Never null; an out-of-range value yields "unknown error".
const char* decodeStatusText(DecodeStatus status);
