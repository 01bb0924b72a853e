// dragndrop: shows CD-i IFF pictures named on the command line or dropped on its window.

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "viewercore.h"
#include "viewerwindow.h"
#include "xerrors.h"

namespace {

// Also the source of the manual page (help2man), so the two say the same.
constexpr char kHelp[] =
    "Usage: dragndrop [FILE]\n"
    "\n"
    "Shows CD-i IFF pictures (FORM or CAT of type IMAG) in a 384 x 280 frame, as the classic\n"
    "viewer showed them. FILE is shown first; every file dropped on the window is shown\n"
    "next (the first one of a drop). The caption shows the path of the picture shown, or the\n"
    "program's title when a file could not be shown; the reason is printed on standard\n"
    "error. The words after the program's name are one path, blanks included; a path in\n"
    "double quotes loses them.\n"
    "\n"
    "Keys:\n"
    "  Tab           switch between the classic frame and the accurate profile: the\n"
    "                picture at its own size, as CD-i authoring tools wrote it\n"
    "  Esc, Ctrl+Q   close the window\n"
    "\n"
    "Options:\n"
    "  -h, --help    show this help\n"
    "  --version     show the version\n"
    "\n"
    "An option counts only alone on the command line; open a file of that name as ./NAME.\n"
    "\n"
    "Exit status: 0 when the window was closed, 1 when no window could be opened.\n";

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
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("dragndrop " PELMORA_VERSION);
    return 0;
  }
  const std::string argvline = argvlineFrom(commandLineText(argc, argv).c_str());

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
    ViewerWindow window(argvline);
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
