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

// The frame as the window has it now: title bar and borders at its monitor's scale.
Insets frameOf(HWND hwnd) {
  RECT outer{}, client{};
  GetWindowRect(hwnd, &outer);
  GetClientRect(hwnd, &client);
  POINT topLeft{0, 0};
  ClientToScreen(hwnd, &topLeft);
  const int left = topLeft.x - outer.left, top = topLeft.y - outer.top;
  return {left, top, outer.right - outer.left - left - client.right,
          outer.bottom - outer.top - top - client.bottom};
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
  const RECT work = monitorRect(hwnd, true);
  RECT outer{};
  GetWindowRect(hwnd, &outer);
  const Rect placed = placeWindow(
      {outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top}, size,
      frameOf(hwnd), {work.left, work.top, work.right - work.left, work.bottom - work.top});
  SetWindowPos(hwnd, nullptr, placed.x, placed.y, placed.width, placed.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void growToFloor(HWND hwnd, ClientSize floor) {
  RECT client{};
  GetClientRect(hwnd, &client);
  if (client.right >= floor.width && client.bottom >= floor.height) return;
  resizeClient(
      hwnd, {std::max<int>(client.right, floor.width), std::max<int>(client.bottom, floor.height)});
}

void limitTracking(HWND hwnd, MINMAXINFO& limits, ClientSize floor) {
  const Insets frame = frameOf(hwnd);
  limits.ptMinTrackSize.x = floor.width + frame.left + frame.right;
  limits.ptMinTrackSize.y = floor.height + frame.top + frame.bottom;
}

int windowDpi(HWND hwnd) {
  // Windows 10 1607 and later; before that, the system's one scale.
  using GetDpi = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(hwnd); dpi > 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
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
