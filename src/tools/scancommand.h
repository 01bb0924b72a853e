#pragma once

// imag2png --scan and --info: pictures found anywhere in files and raw CD images (finder.h).

#include <string>
#include <vector>

#include "accurateimage.h"
#include "finder.h"
#include "imageencode.h"
#include "profile.h"

struct ScanRequest {
  std::string folder;  // -o, a folder that exists; empty: beside each input
  bool all = false;    // every picture of a CAT
  ProfileMode profile = ProfileMode::automatic;  // of each picture
  AccurateConversion conversion;
  ImageFormat format = kDefaultFormat;
  int pngLevel = kDefaultPngLevel;  // --level
  std::string palette;              // --palette FILE, for real-time pictures of palette models
};

// Converts every picture found in each path to FOLDER/NAME@0xOFFSET.png (NAME@0xOFFSET-2.png ...
// for the further pictures of a CAT with `all`), printing one line per picture written; NAME is
// the file the picture stands in (a cue sheet's BIN file). Returns the exit status: 0 when each
// path held a picture and all converted, 1 otherwise.
int scanAndConvert(const ScanRequest& request, const std::vector<std::string>& paths);

struct InfoRequest {
  bool json = false;    // one JSON object a line
  bool scan = false;    // pictures anywhere in the file, not only a picture file
  std::string palette;  // --palette FILE
  ProfileMode profile = ProfileMode::automatic;  // the profile reported for each picture
};

// The scan's options for a request's --palette; "" or why the palette cannot be read. Passed-over
// files and sectors are reported on standard error; a file that could not be read sets `failed`.
std::string scanOptionsFor(const std::string& palette, bool& failed, ScanOptions& options);

// Describes each picture of each path on standard output without converting it. Returns 0
// when every path held a picture that decodes, 1 otherwise.
int describePictures(const InfoRequest& request, const std::vector<std::string>& paths);

// The warning a find carries, as the converter words it ("" for none).
std::string findNote(const FoundPicture& found);

// "NAME@0xOFFSET.png", or "NAME@0xOFFSET-N.png" for picture N > 1 of a CAT.
std::string scanOutputName(const std::string& input, long long offset, int picture,
                           const char* extension);
