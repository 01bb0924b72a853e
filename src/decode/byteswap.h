#pragma once

#include <cstdint>

// Every multi-byte number in a CD-i image file is stored most significant byte first.
// The pointer forms read unchecked: callers hand them a pointer with 4 (or 2) bytes behind it,
// which ByteView::u32/u16 guarantee for the file copy.

// The four bytes at myptr, the first one most significant.
std::uint32_t byteswaplp(const std::uint8_t* myptr);
// The two bytes at myptr, the first one most significant.
std::uint16_t byteswapsp(const std::uint8_t* myptr);
// i with the order of its four bytes reversed.
std::uint32_t byteswapl(std::uint32_t i);
// i with its two bytes exchanged.
std::uint16_t byteswaps(std::uint16_t i);
