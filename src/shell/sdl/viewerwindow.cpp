#include "viewerwindow.h"

#include <cstdio>

#include "accurateview.h"
#include "droptext.h"
#include "windowicon.h"

namespace {

constexpr Uint8 kGrey = 128;  // the client area around the frame

}  // namespace

ViewerWindow::ViewerWindow(std::string argvline) : core_(std::move(argvline)) {
  window_ = SDL_CreateWindow(szAppname, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             kFrameWidth, kFrameHeight, SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
  if (window_ == nullptr) return;
  core_.onCreate();
  setWindowIcon(window_);
}

ViewerWindow::~ViewerWindow() {
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

void ViewerWindow::run() {
  // The window has just been shown: its first paint, then the command-line picture.
  paint();
  decodePendingArgv();
  SDL_Event event;
  while (SDL_WaitEvent(&event)) {
    // Handle everything that is queued, then paint at most once for all of it.
    bool repaint = false;
    do {
      const Next next = handle(event);
      if (next == Next::quit) return;
      repaint = repaint || next == Next::repaint;
    } while (SDL_PollEvent(&event));
    if (repaint) paint();
  }
  std::fprintf(stderr, "dragndrop: %s\n", SDL_GetError());
}

void ViewerWindow::decodePendingArgv() {
  if (!core_.argvPending()) return;
  const std::string path = core_.argvline();
  const Reaction reaction = core_.onCommand(IDM_DECODE_ARGV);
  core_.argvDecoded();
  show(reaction, path);
  // The frame has only now been decoded; without this paint it would stay unseen until the
  // window happened to be exposed again.
  paint();
}

void ViewerWindow::show(const Reaction& reaction, const std::string& path) {
  if (reaction.setCaption) SDL_SetWindowTitle(window_, validUtf8(reaction.caption).c_str());
  if (reaction.status != DecodeStatus::ok) {
    std::fprintf(stderr, "dragndrop: %s: %s\n", path.c_str(), decodeStatusText(reaction.status));
  }
}

void ViewerWindow::paint() {
  // The window surface is renewed by SDL after a resize; asking for it each time keeps it valid.
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (target == nullptr) return;
  SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, kGrey, kGrey, kGrey));
  if (core_.accurate()) {
    paintAccurate(target);
  } else if (const unsigned char* frame = core_.frame()) {
    // A view of the frame buffer, not a copy: the blit converts and clips to the window.
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<unsigned char*>(frame), kFrameWidth, kFrameHeight, 24,
        static_cast<int>(kFramePitch), SDL_PIXELFORMAT_BGR24);
    if (picture != nullptr) {
      SDL_BlitSurface(picture, nullptr, target, nullptr);
      SDL_FreeSurface(picture);
    }
  }
  SDL_UpdateWindowSurface(window_);
}

// The accurate picture at the top-left, at its own size or scaled down to fit the window.
void ViewerWindow::paintAccurate(SDL_Surface* target) {
  const AccuratePicture* picture = core_.accuratePicture();
  if (picture == nullptr) return;  // nothing to show: grey only
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint8_t*>(picture->rgb.data()), picture->width, picture->height, 24,
      static_cast<int>(picture->rowBytes()), SDL_PIXELFORMAT_RGB24);
  if (source == nullptr) return;
  const ViewSize size = fitWithin(picture->width, picture->height, target->w, target->h);
  if (size.width == picture->width && size.height == picture->height) {
    SDL_BlitSurface(source, nullptr, target, nullptr);
  } else if (SDL_Surface* converted = SDL_ConvertSurface(source, target->format, 0)) {
    // Scaling wants both surfaces in one format.
    SDL_Rect area{0, 0, size.width, size.height};
    SDL_BlitScaled(converted, nullptr, target, &area);
    SDL_FreeSurface(converted);
  }
  SDL_FreeSurface(source);
}

ViewerWindow::Next ViewerWindow::handle(SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      return Next::quit;
    case SDL_WINDOWEVENT:
      return onWindowEvent(event.window);
    case SDL_KEYDOWN:
      return onKey(event.key);
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE:
      dropTaken_ = false;  // a new drop: its first file counts again
      return Next::wait;
    case SDL_DROPFILE:
    case SDL_DROPTEXT: {
      // SDL hands over a copy that the program frees.
      const std::string text = event.drop.file != nullptr ? event.drop.file : "";
      SDL_free(event.drop.file);
      if (dropTaken_) return Next::wait;
      if (event.type == SDL_DROPFILE) return onDroppedPath(text);
      const auto path = firstPathInDropText(text);
      return path ? onDroppedPath(*path) : Next::wait;
    }
    default:
      return Next::wait;
  }
}

ViewerWindow::Next ViewerWindow::onWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      return Next::repaint;
    case SDL_WINDOWEVENT_CLOSE:
      return Next::quit;
    default:
      return Next::wait;
  }
}

ViewerWindow::Next ViewerWindow::onKey(const SDL_KeyboardEvent& event) {
  if (event.keysym.sym == SDLK_TAB) {  // switch the picture between classic and accurate
    const Reaction reaction = core_.toggleProfile();
    show(reaction, core_.currentPath());
    return reaction.repaint ? Next::repaint : Next::wait;
  }
  const bool ctrlQ = event.keysym.sym == SDLK_q && (event.keysym.mod & KMOD_CTRL) != 0;
  return event.keysym.sym == SDLK_ESCAPE || ctrlQ ? Next::quit : Next::wait;
}

ViewerWindow::Next ViewerWindow::onDroppedPath(const std::string& path) {
  dropTaken_ = true;
  const Reaction reaction = core_.onDrop({path});
  show(reaction, path);
  return reaction.repaint ? Next::repaint : Next::wait;
}
