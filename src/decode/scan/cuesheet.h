#pragma once

// Cue sheets: the text beside a BIN disc image that says which files hold the disc's tracks and
// how their sectors are laid out.
//
//   FILE "disc.bin" BINARY
//     TRACK 01 MODE2/2352
//       INDEX 01 00:00:00        (minutes:seconds:frames, 75 frames a second)
//     TRACK 02 AUDIO
//       INDEX 00 10:02:40
//       INDEX 01 10:04:40
//
// A track runs from its first index to the first index of the next track in the same file, or
// to the end of that file.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sectors.h"

struct CueTrack {
  int number = 0;
  std::string mode;              // as the sheet names it: "MODE2/2352", "AUDIO", ...
  std::string file;              // the BIN file, as the sheet names it
  std::int64_t start = 0;        // byte of the file where the track begins
  std::int64_t bytes = -1;       // the track's bytes; -1: to the end of the file
  std::int64_t sectorBytes = 0;  // 2352, 2336 or 2048; 0 for a mode this program does not read
  bool audio = false;
};

// Whether the path names a cue sheet (it ends in ".cue", in either case).
bool isCueSheetPath(std::string_view path);

// The tracks of a cue sheet's text, in its order. Lines it does not know are passed over; a
// sheet with no track gives none.
std::vector<CueTrack> parseCueSheet(std::string_view text);

// How the user data of a track of `mode` is laid out, for the modes with sectorBytes != 0.
SectorLayout cueTrackLayout(const CueTrack& track);

// The path of a BIN file the sheet at `sheet` names: beside the sheet unless it is absolute.
std::string cueFilePath(const std::string& sheet, const std::string& file);
