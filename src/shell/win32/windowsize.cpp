#include "windowsize.h"

#include <algorithm>

namespace {

constexpr int kOuterWidth = 392;   // the 384-pixel frame plus the sizing frame
constexpr int kOuterHeight = 308;  // the 280-row frame plus caption and sizing frame

struct Windowed {
  bool fullScreen = false;
  LONG style = 0;
  WINDOWPLACEMENT placement{};
} windowed;

SIZE outerFor(int width, int height, DWORD style, DWORD exStyle) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

RECT monitorRect(HWND hwnd, bool workArea) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
  return workArea ? info.rcWork : info.rcMonitor;
}

}  // namespace

SIZE firstWindowSize() {
  const SIZE needed = outerFor(kFrameWidth, kFrameHeight, kWindowStyle, kWindowExStyle);
  return {std::max<LONG>(kOuterWidth, needed.cx), std::max<LONG>(kOuterHeight, needed.cy)};
}

void resizeClient(HWND hwnd, ClientSize size) {
  if (windowed.fullScreen || IsZoomed(hwnd)) return;
  const auto style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
  const SIZE frame = outerFor(0, 0, style, exStyle);
  const RECT work = monitorRect(hwnd, true);
  const int width = std::min<int>(size.width, work.right - work.left - frame.cx);
  const int height = std::min<int>(size.height, work.bottom - work.top - frame.cy);
  if (width <= 0 || height <= 0) return;
  // Moved as far as needed to keep the grown window on the screen.
  RECT outer{};
  GetWindowRect(hwnd, &outer);
  const LONG left = std::max(work.left, std::min(outer.left, work.right - width - frame.cx));
  const LONG top = std::max(work.top, std::min(outer.top, work.bottom - height - frame.cy));
  SetWindowPos(hwnd, nullptr, left, top, width + frame.cx, height + frame.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void setFullScreen(HWND hwnd, bool on) {
  if (on == windowed.fullScreen) return;
  if (on) {
    windowed.style = GetWindowLongA(hwnd, GWL_STYLE);
    windowed.placement.length = sizeof windowed.placement;
    GetWindowPlacement(hwnd, &windowed.placement);
    windowed.fullScreen = true;
    const RECT screen = monitorRect(hwnd, false);
    SetWindowLongA(hwnd, GWL_STYLE, (windowed.style & ~static_cast<LONG>(kWindowStyle)) | WS_POPUP);
    SetWindowPos(hwnd, HWND_TOP, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
  } else {
    windowed.fullScreen = false;
    // Full screen from the start (--fullscreen) was entered before the window was first shown:
    // coming back must not hide it again.
    if (windowed.placement.showCmd != SW_SHOWMAXIMIZED) windowed.placement.showCmd = SW_SHOWNORMAL;
    SetWindowLongA(hwnd, GWL_STYLE, windowed.style);
    SetWindowPlacement(hwnd, &windowed.placement);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
  }
}

bool isFullScreen() {
  return windowed.fullScreen;
}
