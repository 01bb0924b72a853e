#include "status.h"

const char* decodeStatusText(DecodeStatus status) {
  switch (status) {
    case DecodeStatus::ok:
      return "ok";
    case DecodeStatus::cannotOpen:
      return "cannot open the file";
    case DecodeStatus::notRegularFile:
      return "not a regular file";
    case DecodeStatus::empty:
      return "the file is empty";
    case DecodeStatus::tooLarge:
      return "the file is too large for a CD-i picture (over 64 MiB)";
    case DecodeStatus::shortRead:
      return "the file could not be read whole (it changed or a read failed)";
    case DecodeStatus::outOfMemory:
      return "out of memory";
    case DecodeStatus::tooShort:
      return "not a CD-i image: shorter than the 12-byte container header";
    case DecodeStatus::notCdiImage:
      return "not a CD-i image: the header is neither FORM....IMAG nor CAT ....IMAG";
    case DecodeStatus::noPicture:
      return "no picture in the file (no IHDR chunk, or a palette-only model)";
    case DecodeStatus::badHeader:
      return "the IHDR chunk is shorter than 14 bytes or gives a width or height of 0";
    case DecodeStatus::unknownModel:
      return "the picture's model is none of 1 to 10";
    case DecodeStatus::pictureTooLarge:
      return "the picture has more pixels than the limit allows (64 Mpixels unless told otherwise)";
  }
  return "unknown error";
}
