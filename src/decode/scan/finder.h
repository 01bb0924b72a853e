#pragma once

// Finding pictures anywhere in a file: in system ROM and memory dumps, behind megabytes of other
// data, and in raw CD images, whose sectors' user data is joined first so that a picture that
// spans sectors is found whole.
//
// A find is a "FORM" or "CAT " container header of type "IMAG", at any byte, that the accurate
// profile decodes (describeAccurate succeeds on its first picture). Container lengths in dumps
// are often shorter than the data they hold, so a picture reaches as far as its chunks do:
// chunk follows chunk while each has a printable identifier and ends within the data; an IDAT
// that runs past the end of the data is the picture cut short and still belongs. A "FORM" of
// type "IMAG" ends a FORM picture (the next file begins there) and is an item of a CAT picture,
// unless it stands exactly where the CAT's length says the CAT ends; a header inside a picture
// already found belongs to it and is no find of its own. Each picture
// is read up to kScanPictureBytes from its header, however large the scanned file, and walked
// for at most kScanPictureChunks chunks (picturereach.h). Bytes read ahead for one header serve
// the headers after it, so a file full of headers is read about twice, not once per header.
//
// scanFile looks further: at the video sectors of real-time files in sector images
// (realtime.h), at plain files read with the bytes of every 16-bit word swapped (ROM dumps of
// 16-bit chips), and through cue sheets at the tracks of their BIN files (cuesheet.h).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "container.h"
#include "realtime.h"
#include "status.h"
#include "userdata.h"

inline constexpr std::int64_t kScanPictureBytes = std::int64_t{64} << 20;

struct FoundPicture {
  std::int64_t offset = 0;  // of the container header in the file (in a CD image too)
  std::int64_t length = 0;  // bytes its chunks reach from the header (user data only)
  ContainerKind container = ContainerKind::none;
  int pictures = 0;  // FORM items of a CAT; 1 for a FORM
  int model = 0, width = 0, height = 0;
  SectorLayout layout = SectorLayout::plain;  // of the file it was found in
  StreamPos start;                            // where readFoundPicture finds it again
  bool swapped = false;   // found with the bytes of every 16-bit word exchanged; these are its
                          // bytes swapped back
  bool realTime = false;  // video sectors of a real-time file (`rt` says which), shown as a FORM
  RealTimeFind rt;
  std::string image;  // the file it stands in when that is not the one scanned (a cue sheet's BIN)
  std::int64_t trackStart = 0, trackBytes = -1;  // the track of `image` it was found in (-1: all)
  std::string note;                              // a warning about the find, or empty
};

// Called for each find in file order with the picture's bytes (`length` of them, valid during
// the call only); returns false to stop the scan.
using FoundVisitor = std::function<bool(const FoundPicture& found, ByteView bytes)>;

// Scans `source` read as `layout`, showing `watch` every sector of a sector image on the way.
// Returns ok, or shortRead when the file could not be read to its end (the finds before that
// were visited).
DecodeStatus scanSource(const ScanSource& source, SectorLayout layout, const FoundVisitor& visit,
                        const SectorWatch& watch = {});

struct ScanOptions {
  PaletteChunks palette;  // for real-time pictures of the palette models; empty: greys
  // Told of what the scan passed over: a file a cue sheet names that cannot be read (`failed`),
  // a sector skipped for its coding byte (not failed). `where` is the file concerned.
  std::function<void(const std::string& where, const std::string& what, bool failed)> report;
};

// Scans the regular file at path, first telling its layout (sectors.h); `layout` receives it
// when given. IFF pictures come in file order, the real-time pictures of a sector image among
// them as their records end (the file is read once for both), then, in a plain file, the
// pictures found in its swapped words.
// A cue sheet (its name ends in .cue) is followed to the data tracks of its BIN files, each
// scanned as its mode lays it out; a BIN that cannot be read is reported and the others are
// still scanned. The open failures of readFileCopy (cannotOpen, notRegularFile, empty),
// shortRead.
DecodeStatus scanFile(const char* path, const FoundVisitor& visit, SectorLayout* layout = nullptr,
                      const ScanOptions& options = {});

// Every picture of the file at path, for a list to pick from.
DecodeStatus findPictures(const char* path, std::vector<FoundPicture>& found);

// The bytes of a picture findPictures found in the same file, read again: they decode with
// decodeAccurate. shortRead when the file no longer holds them.
DecodeStatus readFoundPicture(const char* path, const FoundPicture& found,
                              std::vector<std::uint8_t>& bytes, const PaletteChunks& palette = {});
