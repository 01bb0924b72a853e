#pragma once

// Full screen for the viewer's window. SDL asks the window manager for it; on an X display with
// no window manager (a bare X server, a kiosk) nobody would answer, so the window itself is then
// made borderless and as large as the display, and put back afterwards.

#include <SDL.h>

class FullScreen {
 public:
  void set(SDL_Window* window, bool on);
  // Full screen by either means: the window's size is then not the viewer's to choose.
  bool active(SDL_Window* window) const;

 private:
  bool byHand_ = false;
  SDL_Rect before_{};  // the window's place and size before it was made full screen by hand
};
