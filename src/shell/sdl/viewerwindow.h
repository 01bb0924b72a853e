#pragma once

// The viewer's one window on SDL2: shows the frame at the top-left of a grey client area, takes
// dropped files, and keeps the caption as the core says. Everything that is not window-system
// work is the ViewerCore's.

#include <SDL.h>

#include <string>

#include "viewercore.h"

class ViewerWindow {
 public:
  // Creates and shows the window; ok() tells whether that worked.
  explicit ViewerWindow(std::string argvline);
  ~ViewerWindow();
  ViewerWindow(const ViewerWindow&) = delete;
  ViewerWindow& operator=(const ViewerWindow&) = delete;

  bool ok() const { return window_ != nullptr; }

  // Waits for events until the window is closed, painting only when something changed.
  void run();

 private:
  enum class Next { wait, repaint, quit };

  Next handle(SDL_Event& event);
  Next onWindowEvent(const SDL_WindowEvent& event);
  Next onKey(const SDL_KeyboardEvent& event);
  Next onDroppedPath(const std::string& path);
  void paint();
  void paintAccurate(SDL_Surface* target);
  void decodePendingArgv();
  void show(const Reaction& reaction, const std::string& path);

  ViewerCore core_;
  SDL_Window* window_ = nullptr;
  bool dropTaken_ = false;  // the current drop's first file has been handled
};
