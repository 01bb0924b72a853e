#pragma once

// What the info panel says about a file: its container and the header of the picture shown.

#include <string>
#include <vector>

#include "byteview.h"
#include "container.h"

struct PictureInfo {
  ContainerKind container = ContainerKind::none;
  int pictures = 0;        // FORM items of a CAT; 1 for a FORM
  bool header = false;     // the picture has an IHDR of 14 bytes or more
  bool pixelData = false;  // an IDAT follows the IHDR
  int model = 0;           // from the IHDR
  int width = 0, height = 0;
  int paletteEntries = 0;  // colours its PLTE chunks load, at most 256
};

// Describes picture `index` (0: the first) of the file in memory. Reads only inside `file`.
PictureInfo describePicture(ByteView file, int index);

// "DYUV", "CLUT8", ... for models 1 to 10; "model N" for others.
std::string modelName(int model);

// What the info panel shows, one line per entry.
struct PanelFacts {
  std::string fileName;      // without its folder
  std::size_t position = 0;  // 1-based place in the file list, 0 when there is no list
  std::size_t count = 0;
  PictureInfo info;
  std::string unread;  // why the file could not be read or shown; "" when it could
  bool accurate = false;
  std::string profileReason;  // why that profile: "palette starts at entry 16", ...
  int page = 0;               // the CAT picture shown in the accurate profile (0-based)
  std::string zoom;           // "1:1", "3x", "fit (2x)", ...
};
std::vector<std::string> panelLines(const PanelFacts& facts);
