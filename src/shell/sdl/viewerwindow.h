#pragma once

// The viewer's one window on SDL2: shows the frame at the top-left of a grey client area, takes
// dropped files and keys, and keeps the caption as the core says. Everything that is not
// window-system work is the ViewerCore's.

#include <SDL.h>

#include <string>

#include "fullscreen.h"
#include "textbox.h"
#include "viewercore.h"

class ViewerWindow {
 public:
  // Creates and shows the window; ok() tells whether that worked.
  explicit ViewerWindow(const ViewerOptions& options);
  ~ViewerWindow();
  ViewerWindow(const ViewerWindow&) = delete;
  ViewerWindow& operator=(const ViewerWindow&) = delete;

  bool ok() const { return window_ != nullptr; }

  // Waits for events until the window is closed, painting only when something changed. While a
  // message shows it waits no longer than the message lasts; otherwise it waits without end.
  void run();

 private:
  enum class Next { wait, repaint, quit };

  bool nextEvent(SDL_Event& event);
  Next handle(SDL_Event& event);
  Next onWindowEvent(const SDL_WindowEvent& event);
  Next onKey(const SDL_KeyboardEvent& event);
  Next onDroppedPath(const std::string& path);
  void paint();
  SDL_Rect paintPicture(SDL_Surface* target);
  void decodePendingArgv();
  Next apply(const Reaction& reaction);
  void resizeClient(ClientSize size);

  ViewerCore core_;
  SDL_Window* window_ = nullptr;
  TextBox text_;
  FullScreen fullScreen_;
  bool dropTaken_ = false;  // the current drop's first file has been handled
  // What the last paint left on the screen: whether the whole window must be sent next time,
  // whether text covered part of it, the surface and the picture's rectangle.
  bool wholeWindow_ = true;
  bool textShown_ = false;
  SDL_Surface* lastTarget_ = nullptr;
  SDL_Rect lastPicture_{};
};
