#pragma once

// Which decoding profile shows a picture as its writer laid it out.
//
// The classic profile reads every picture into the 384 x 280 frame with the classic reading's
// assumptions: colours load from palette entry 0, a line holds one byte per pixel (one code
// stream for RL7 and RL3) and as many pixels as the line size says, DYUV lines start from the
// IHDR values. The accurate profile reads the header as authoring tools wrote it. When the
// header says the classic assumptions hold, the classic frame is the picture, byte for byte as
// before; when it says otherwise, the classic frame would show it scrambled, and the accurate
// profile is the one that shows it.
//
// The choice is made from the header (IHDR, PLTE, YUVS), never by comparing pixels. RL3 alone
// has two codings under one header; there the codes are walked, without drawing, to see which
// coding they read cleanly in.

#include <cstdint>
#include <span>
#include <string>

enum class Profile { classic, accurate };

// How a profile is chosen: per picture, or as the user forced it (--classic, --accurate, Tab).
enum class ProfileMode { automatic, classic, accurate };

// Why a profile was chosen. One value per reason, one text per value (profileReasonText).
enum class ProfileReason {
  forced,           // the user asked for it
  classicLayout,    // the header matches the classic reading's assumptions
  noAccurateView,   // the accurate reading refuses the header; the classic one reads anything
  laterPicture,     // a CAT's picture after the first: the classic walk stops at the first
  modelNotShown,    // a model the classic frame leaves black (RGB888, RGB555, CLUT3, ...)
  paletteOffset,    // the palette loads from an entry other than 0
  lineStarts,       // DYUV lines start from their own values (YUVS)
  packedLines,      // CLUT4 lines hold two pixels a byte
  lineSize,         // the line size differs from the width
  largerThanFrame,  // the picture is wider or taller than the 384 x 280 frame
  pairCodes,        // RL3 codes that read cleanly as pairs of pixels, and not one by one
};

struct ProfileChoice {
  Profile profile = Profile::classic;
  ProfileReason reason = ProfileReason::classicLayout;
  // The header facts the reason names: model, palette's first entry, width, line size, height.
  int model = 0, paletteFirst = 0, width = 0, lineSize = 0, height = 0, picture = 0;
};

// The profile for picture `picture` (0: the first) of the file in memory, as `mode` asks.
// Reads only inside `file`; any file, a refused one too, gets an answer.
ProfileChoice chooseProfile(std::span<const std::uint8_t> file, ProfileMode mode, int picture = 0);

// "classic" or "accurate".
const char* profileName(Profile profile);

// Why, for messages and --info: "palette starts at entry 16", "chosen", ...
std::string profileReasonText(const ProfileChoice& choice);
