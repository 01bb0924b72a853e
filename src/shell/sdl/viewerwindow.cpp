#include "viewerwindow.h"

#include <algorithm>
#include <cstdio>

#include "desktopdpi.h"
#include "droptext.h"
#include "stretch.h"
#include "windowicon.h"

namespace {

constexpr Uint8 kGrey = 128;  // the client area around the frame

// The platform-neutral key (keytable.h) for an SDL key, or kKeyNone.
int viewerKey(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_BACKSPACE:
      return kKeyBackSpace;
    case SDLK_TAB:
      return kKeyTab;
    case SDLK_ESCAPE:
      return kKeyEscape;
    case SDLK_LEFT:
      return kKeyLeft;
    case SDLK_RIGHT:
      return kKeyRight;
    case SDLK_HOME:
      return kKeyHome;
    case SDLK_END:
      return kKeyEnd;
    case SDLK_PAGEUP:
      return kKeyPageUp;
    case SDLK_PAGEDOWN:
      return kKeyPageDown;
    case SDLK_F11:
      return kKeyF11;
    case SDLK_KP_PLUS:
      return kKeyPadPlus;
    case SDLK_KP_MINUS:
      return kKeyPadMinus;
    default:  // SDL names printable keys by their unshifted character
      return sym > ' ' - 1 && sym < 0x7F ? static_cast<int>(sym) : kKeyNone;
  }
}

int viewerModifiers(Uint16 mod) {
  return ((mod & KMOD_CTRL) != 0 ? kModCtrl : 0) | ((mod & KMOD_ALT) != 0 ? kModAlt : 0);
}

}  // namespace

ViewerWindow::ViewerWindow(const ViewerOptions& options) : core_(options) {
  core_.setDesktopDpi(desktopDpi());
  text_.setDpi(core_.dpi());
  const ClientSize floor = core_.minimumClient();
  window_ = SDL_CreateWindow(szAppname, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             floor.width, floor.height, SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
  if (window_ == nullptr) return;
  SDL_SetWindowMinimumSize(window_, floor.width, floor.height);
  core_.onCreate();
  setWindowIcon(window_);
  if (core_.fullScreen()) fullScreen_.set(window_, true);
  int width = 0, height = 0;
  SDL_GetWindowSize(window_, &width, &height);
  core_.onResize(width, height);
}

ViewerWindow::~ViewerWindow() {
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

void ViewerWindow::run() {
  // The window has just been shown: its first paint, then the command-line picture.
  if (!core_.message().empty()) std::fprintf(stderr, "dragndrop: %s\n", core_.message().c_str());
  paint();
  decodePendingArgv();
  SDL_Event event;
  for (;;) {
    if (!nextEvent(event)) continue;
    // Handle everything that is queued, then paint at most once for all of it.
    bool repaint = false;
    do {
      const Next next = handle(event);
      if (next == Next::quit) return;
      repaint = repaint || next == Next::repaint;
    } while (SDL_PollEvent(&event));
    repaint = core_.expireMessage(ViewerCore::Clock::now()) || repaint;
    if (repaint) paint();
  }
}

// Waits for the next event. False when the wait ended without one: a message's time was up
// (and the window has been painted without it) or the wait failed.
bool ViewerWindow::nextEvent(SDL_Event& event) {
  const auto deadline = core_.messageDeadline();
  if (!deadline) {
    if (SDL_WaitEvent(&event) != 0) return true;
    std::fprintf(stderr, "dragndrop: %s\n", SDL_GetError());
    SDL_Delay(10);  // never spin
    return false;
  }
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(*deadline - ViewerCore::Clock::now());
  const int timeout = static_cast<int>(std::clamp<long long>(left.count(), 0, 60000));
  if (SDL_WaitEventTimeout(&event, timeout) != 0) return true;
  if (core_.expireMessage(ViewerCore::Clock::now())) paint();
  return false;
}

void ViewerWindow::decodePendingArgv() {
  if (!core_.argvPending()) return;
  const Reaction reaction = core_.onCommand(IDM_DECODE_ARGV);
  core_.argvDecoded();
  apply(reaction);
  // The frame has only now been decoded; without this paint it would stay unseen until the
  // window happened to be exposed again.
  paint();
}

ViewerWindow::Next ViewerWindow::apply(const Reaction& reaction) {
  if (reaction.setCaption) SDL_SetWindowTitle(window_, validUtf8(reaction.caption).c_str());
  if (!reaction.report.empty()) std::fprintf(stderr, "dragndrop: %s\n", reaction.report.c_str());
  if (reaction.fullScreen) fullScreen_.set(window_, *reaction.fullScreen);
  if (reaction.resizeTo) resizeClient(*reaction.resizeTo);
  if (reaction.quit) return Next::quit;
  return reaction.repaint ? Next::repaint : Next::wait;
}

// To `size`, about the window's centre and wholly on the work area (SDL reads _NET_WORKAREA and
// _NET_FRAME_EXTENTS), unless the window is maximised or full screen.
void ViewerWindow::resizeClient(ClientSize size) {
  if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) != 0 || fullScreen_.active(window_)) {
    return;
  }
  int width = 0, height = 0, x = 0, y = 0;
  SDL_GetWindowSize(window_, &width, &height);
  SDL_GetWindowPosition(window_, &x, &y);  // of the client area
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &usable) != 0) {
    if (size.width != width || size.height != height) {
      SDL_SetWindowSize(window_, size.width, size.height);
    }
    return;
  }
  Insets frame;
  SDL_GetWindowBordersSize(window_, &frame.top, &frame.left, &frame.bottom, &frame.right);
  const Rect outer{x - frame.left, y - frame.top, width + frame.left + frame.right,
                   height + frame.top + frame.bottom};
  const Rect placed = placeWindow(outer, size, frame, {usable.x, usable.y, usable.w, usable.h});
  const int newWidth = placed.width - frame.left - frame.right;
  const int newHeight = placed.height - frame.top - frame.bottom;
  if (newWidth != width || newHeight != height) SDL_SetWindowSize(window_, newWidth, newHeight);
  if (placed.x != outer.x || placed.y != outer.y) {
    SDL_SetWindowPosition(window_, placed.x + frame.left, placed.y + frame.top);
  }
}

void ViewerWindow::paint() {
  // The window surface is renewed by SDL after a resize; asking for it each time keeps it valid.
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (target == nullptr) return;
  const SDL_Rect picture = paintPicture(target);
  const std::vector<std::string> panel = core_.panelText();
  const std::vector<std::string> hint = core_.emptyHint();
  const bool text = !panel.empty() || !core_.message().empty() || !hint.empty();
  // When only the picture changed (the next file at the same size), the grey around it is still
  // on the surface and on the screen: a full-screen redraw then writes and sends half the bytes.
  const bool onlyPicture = !wholeWindow_ && !text && !textShown_ && target == lastTarget_ &&
                           picture.w > 0 && SDL_RectEquals(&picture, &lastPicture_);
  if (!onlyPicture) {
    const Uint32 grey = SDL_MapRGB(target->format, kGrey, kGrey, kGrey);
    const SDL_Rect around[] = {
        {0, 0, target->w, picture.y},
        {0, picture.y + picture.h, target->w, target->h - picture.y - picture.h},
        {0, picture.y, picture.x, picture.h},
        {picture.x + picture.w, picture.y, target->w - picture.x - picture.w, picture.h},
    };
    for (const SDL_Rect& rect : around) {
      if (rect.w > 0 && rect.h > 0) SDL_FillRect(target, &rect, grey);
    }
  }
  text_.drawCentred(target, hint);
  text_.draw(target, panel, TextBox::Edge::bottom);
  if (!core_.message().empty()) text_.draw(target, {core_.message()}, TextBox::Edge::top);
  if (onlyPicture) {
    SDL_UpdateWindowSurfaceRects(window_, &picture, 1);
  } else {
    SDL_UpdateWindowSurface(window_);
  }
  wholeWindow_ = false, textShown_ = text, lastTarget_ = target, lastPicture_ = picture;
}

// The picture's source rectangle, stretched to the destination with nearest neighbour. Returns
// the part of the target it covered (empty when none).
SDL_Rect ViewerWindow::paintPicture(SDL_Surface* target) {
  const PictureView view = core_.view();
  const Layout& layout = view.layout;
  if (view.pixels == nullptr || layout.source.width <= 0 || layout.source.height <= 0) return {};
  // A view of the pixels shown, not a copy.
  const std::uint8_t* first = view.pixels + static_cast<std::size_t>(layout.source.y) * view.pitch +
                              static_cast<std::size_t>(layout.source.x) * 3;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint8_t*>(first), layout.source.width, layout.source.height, 24,
      static_cast<int>(view.pitch), view.bgr ? SDL_PIXELFORMAT_BGR24 : SDL_PIXELFORMAT_RGB24);
  if (source == nullptr) return {};
  SDL_Rect to{layout.destination.x, layout.destination.y, layout.destination.width,
              layout.destination.height};
  SDL_Rect covered{};
  if (layout.scale == 1) {
    SDL_BlitSurface(source, nullptr, target, &to);  // converts and clips to the window
    covered = to;                                   // SDL leaves the clipped rectangle here
  } else if (SDL_Surface* converted = SDL_ConvertSurface(source, target->format, 0)) {
    // Scaling wants both surfaces in one format.
    stretchNearest(converted, target, to.x, to.y, layout.scale);
    const SDL_Rect whole{0, 0, target->w, target->h};
    SDL_IntersectRect(&to, &whole, &covered);
    SDL_FreeSurface(converted);
  }
  SDL_FreeSurface(source);
  return covered;
}

ViewerWindow::Next ViewerWindow::handle(SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      return Next::quit;
    case SDL_WINDOWEVENT:
      return onWindowEvent(event.window);
    case SDL_KEYDOWN:
      return onKey(event.key);
    case SDL_MOUSEWHEEL: {  // Ctrl + wheel zooms
      if ((SDL_GetModState() & KMOD_CTRL) == 0 || event.wheel.y == 0) return Next::wait;
      const int step =
          (event.wheel.y > 0) == (event.wheel.direction == SDL_MOUSEWHEEL_NORMAL) ? 1 : -1;
      return apply(core_.run(ViewerCommand::zoom, step));
    }
    case SDL_MOUSEMOTION:
      if ((event.motion.state & SDL_BUTTON_LMASK) == 0) return Next::wait;
      return apply(core_.onDrag(event.motion.xrel, event.motion.yrel));
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE:
      dropTaken_ = false;  // a new drop: its first file counts again
      return Next::wait;
    case SDL_DROPFILE:
    case SDL_DROPTEXT: {
      // SDL hands over a copy that the program frees.
      const std::string text = event.drop.file != nullptr ? event.drop.file : "";
      SDL_free(event.drop.file);
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
      wholeWindow_ = true;
      return Next::repaint;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      wholeWindow_ = true;
      // Held to the floor even where no window manager reads the minimum size.
      const ClientSize floor = core_.minimumClient();
      if ((event.data1 < floor.width || event.data2 < floor.height) &&
          !fullScreen_.active(window_)) {
        SDL_SetWindowSize(window_, std::max(event.data1, floor.width),
                          std::max(event.data2, floor.height));
      }
      return apply(core_.onResize(event.data1, event.data2));
    }
    case SDL_WINDOWEVENT_CLOSE:
      return Next::quit;
    default:
      return Next::wait;
  }
}

ViewerWindow::Next ViewerWindow::onKey(const SDL_KeyboardEvent& event) {
  const int key = viewerKey(event.keysym.sym);
  if (key == kKeyNone) return Next::wait;
  return apply(core_.onKey(key, viewerModifiers(event.keysym.mod)));
}

// The first file of a drop is decoded; the ones after it only join the list.
ViewerWindow::Next ViewerWindow::onDroppedPath(const std::string& path) {
  if (dropTaken_) return apply(core_.addDropped(path));
  dropTaken_ = true;
  return apply(core_.onDrop({path}));
}
