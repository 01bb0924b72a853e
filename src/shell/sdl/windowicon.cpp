#include "windowicon.h"

#include <SDL.h>

#include "iconpixels.h"

void setWindowIcon(SDL_Window* window) {
  // SDL copies the pixels into the window's icon property, so the surface may go at once.
  SDL_Surface* icon =
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(kIconRgba), kIconWidth,
                                         kIconHeight, 32, 4 * kIconWidth, SDL_PIXELFORMAT_RGBA32);
  if (icon == nullptr) return;  // a window without an icon still works
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}
