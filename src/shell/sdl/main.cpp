// dragndrop: shows CD-i IFF pictures named on the command line or dropped on its window.

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "viewercore.h"
#include "viewerwindow.h"
#include "xerrors.h"

namespace {

// Without a reachable display SDL falls back to drivers that draw nowhere; a viewer that nobody
// can see would wait for events for ever. Those drivers count only when asked for by name.
bool onAScreen() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return false;
  const bool invisible = std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  return !invisible || (asked != nullptr && std::strcmp(asked, driver) == 0);
}

}  // namespace

int main(int argc, char** argv) {
  const ViewerOptions options = parseViewerOptions(std::vector<std::string>(argv + 1, argv + argc));
  switch (options.action) {
    case ViewerOptions::Action::help:
      std::fputs(helpText().c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case ViewerOptions::Action::version:
      std::printf("dragndrop %s\n", PELMORA_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case ViewerOptions::Action::usageError:
      std::fprintf(stderr, "dragndrop: %s\nTry 'dragndrop --help'.\n", options.error.c_str());
      return 2;
    case ViewerOptions::Action::view:
      break;
  }

  // A picture viewer neither keeps the screen awake nor asks to bypass the compositor, and it
  // paints through the plain window surface: no OpenGL to load, nothing re-creates the window.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  tolerateVanishedWindows();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "dragndrop: %s\n", SDL_GetError());
    return 1;
  }
  if (!onAScreen()) {
    std::fprintf(stderr, "dragndrop: cannot open a display (is DISPLAY or WAYLAND_DISPLAY set?)\n");
    SDL_Quit();
    return 1;
  }
  for (const Uint32 type : {SDL_DROPFILE, SDL_DROPTEXT, SDL_DROPBEGIN, SDL_DROPCOMPLETE}) {
    SDL_EventState(type, SDL_ENABLE);
  }

  int status = 0;
  {
    ViewerWindow window(options);
    if (window.ok()) {
      window.run();
    } else {
      std::fprintf(stderr, "dragndrop: %s\n", SDL_GetError());
      status = 1;
    }
  }  // the window, and with it the frame buffer, is gone before SDL shuts down
  SDL_Quit();
  return status;
}
