#include "suppression.h"

void suppressArtefacts(std::uint8_t& blue, std::uint8_t& green, std::uint8_t& red, int t) {
  // 64-bit so that no threshold, however extreme, overflows in T - 20 or 255 - T.
  const std::int64_t bright = t, brightBlue = std::int64_t{t} - 20, dark = 255 - std::int64_t{t};
  if (blue > brightBlue && green < dark && red < dark) blue = 0;
  if (green > bright && red < dark && blue < dark) green = 0;
  if (red > bright && blue < dark && green < dark) red = 0;
  if (blue > bright && red > bright && green < dark) blue = red = 0;
}
