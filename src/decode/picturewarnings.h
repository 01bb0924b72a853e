#pragma once

// What to tell the user about a file that decoded but does not show whole: the same words from
// the viewer and the converter, one reason each, "" when there is nothing to say.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "accurate.h"
#include "decode.h"

// The classic frame of `file`, which covered `coverage`: its picture data ends early, it drew
// nothing, or it drew nothing of a picture that only the accurate profile shows.
std::string classicWarning(std::span<const std::uint8_t> file, FrameCoverage coverage);

// Whether the classic codes of an RL3 picture end before its last row, rows being as wide as the
// line size, as the classic reading takes them (the accurate reading takes the codes as pairs).
bool classicRl3EndsEarly(const AccurateSummary& header);

// The container length when the chunks reach past it (a length larger than the file is no
// warning: writers that did not know it store 0x80000000, and data that ends early says so).
std::string containerWarning(std::span<const std::uint8_t> file);

// Every warning for a file shown in the accurate profile (`complete`: its data reached every
// pixel) or in the classic frame (which covered `coverage`): the picture's, then the
// container's.
std::vector<std::string> pictureWarnings(std::span<const std::uint8_t> file, bool accurate,
                                         bool complete, FrameCoverage coverage);
