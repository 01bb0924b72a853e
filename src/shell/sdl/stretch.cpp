#include "stretch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

template <typename Pixel>
void stretchRows(SDL_Surface* source, SDL_Surface* target, int x, int y, int scale) {
  const int left = std::max(x, 0), right = std::min<long>(target->w, x + long{source->w} * scale);
  const int top = std::max(y, 0), bottom = std::min<long>(target->h, y + long{source->h} * scale);
  if (left >= right || top >= bottom) return;
  const auto row = [](SDL_Surface* surface, int r) {
    return static_cast<std::uint8_t*>(surface->pixels) +
           static_cast<std::ptrdiff_t>(r) * surface->pitch;
  };
  const std::size_t rowBytes = static_cast<std::size_t>(right - left) * sizeof(Pixel);
  for (int ty = top; ty < bottom; ++ty) {
    Pixel* out = reinterpret_cast<Pixel*>(row(target, ty)) + left;
    if (ty > top && (ty - y) % scale != 0) {  // the same source row as the line above
      std::memcpy(out, row(target, ty - 1) + left * sizeof(Pixel), rowBytes);
      continue;
    }
    const Pixel* in = reinterpret_cast<const Pixel*>(row(source, (ty - y) / scale));
    int sx = (left - x) / scale;
    int repeat = scale - (left - x) % scale;  // copies left of the first, maybe cut, pixel
    for (int tx = left; tx < right; ++tx) {
      *out++ = in[sx];
      if (--repeat == 0) ++sx, repeat = scale;
    }
  }
}

}  // namespace

void stretchNearest(SDL_Surface* source, SDL_Surface* target, int x, int y, int scale) {
  if (scale < 1) return;
  if (SDL_MUSTLOCK(source)) SDL_LockSurface(source);
  if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
  if (target->format->BytesPerPixel == 4) {
    stretchRows<std::uint32_t>(source, target, x, y, scale);
  } else if (target->format->BytesPerPixel == 2) {
    stretchRows<std::uint16_t>(source, target, x, y, scale);
  } else {  // 3-byte or 1-byte screens are rare: SDL's own scaler, clipping done by it
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    if (SDL_MUSTLOCK(source)) SDL_UnlockSurface(source);
    SDL_Rect area{x, y, source->w * scale, source->h * scale};
    SDL_BlitScaled(source, nullptr, target, &area);
    return;
  }
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  if (SDL_MUSTLOCK(source)) SDL_UnlockSurface(source);
}
