#include "fullscreen.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// False only on X11 with no window manager (none has set _NET_SUPPORTING_WM_CHECK on the root).
bool windowManagerPresent(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  Display* display = info.info.x11.display;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool found =
      XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                         &format, &count, &after, &data) == Success &&
      count > 0;
  if (data != nullptr) XFree(data);
  return found;
}

}  // namespace

void FullScreen::set(SDL_Window* window, bool on) {
  if (!on) {
    if (!byHand_) {
      SDL_SetWindowFullscreen(window, 0);
      return;
    }
    byHand_ = false;
    SDL_SetWindowBordered(window, SDL_TRUE);
    SDL_SetWindowSize(window, before_.w, before_.h);
    SDL_SetWindowPosition(window, before_.x, before_.y);
    return;
  }
  if (active(window)) return;
  if (windowManagerPresent(window)) {
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    return;
  }
  SDL_Rect screen{};
  if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &screen) != 0) return;
  SDL_GetWindowPosition(window, &before_.x, &before_.y);
  SDL_GetWindowSize(window, &before_.w, &before_.h);
  byHand_ = true;
  SDL_SetWindowBordered(window, SDL_FALSE);
  SDL_SetWindowPosition(window, screen.x, screen.y);
  SDL_SetWindowSize(window, screen.w, screen.h);
}

bool FullScreen::active(SDL_Window* window) const {
  return byHand_ || (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
}
