#include "byteswap.h"

std::uint32_t byteswaplp(const std::uint8_t* myptr) {
  return static_cast<std::uint32_t>(myptr[0]) << 24 | static_cast<std::uint32_t>(myptr[1]) << 16 |
         static_cast<std::uint32_t>(myptr[2]) << 8 | static_cast<std::uint32_t>(myptr[3]);
}

std::uint16_t byteswapsp(const std::uint8_t* myptr) {
  return static_cast<std::uint16_t>(myptr[0] << 8 | myptr[1]);
}

std::uint32_t byteswapl(std::uint32_t i) {
  return (i & 0xFFu) << 24 | (i & 0xFF00u) << 8 | (i >> 8 & 0xFF00u) | i >> 24;
}

std::uint16_t byteswaps(std::uint16_t i) {
  return static_cast<std::uint16_t>(i << 8 | i >> 8);
}
