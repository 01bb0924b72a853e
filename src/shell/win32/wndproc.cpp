#include "wndproc.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>

#include "droppaths.h"
#include "viewpaint.h"
#include "windowsize.h"
#include "winkeys.h"

namespace {

constexpr UINT_PTR kMessageTimer = 1;

ViewerCore* theCore = nullptr;
POINT dragFrom{};  // the last mouse position of a drag with the left button

// While a message shows, a timer wakes the window when it is due; otherwise none runs, so that
// an idle viewer takes no time at all.
void armMessageTimer(HWND hwnd, const ViewerCore& core) {
  const auto deadline = core.messageDeadline();
  if (!deadline) {
    KillTimer(hwnd, kMessageTimer);
    return;
  }
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(*deadline - ViewerCore::Clock::now());
  SetTimer(hwnd, kMessageTimer, static_cast<UINT>(std::clamp<long long>(left.count(), 1, 60000)),
           nullptr);
}

// Carries out what a handler asked for.
void apply(HWND hwnd, ViewerCore& core, const Reaction& reaction) {
  if (reaction.setCaption) SetWindowTextA(hwnd, reaction.caption.c_str());
  if (!reaction.report.empty()) std::fprintf(stderr, "dragndrop: %s\n", reaction.report.c_str());
  if (reaction.fullScreen) setFullScreen(hwnd, *reaction.fullScreen);
  if (reaction.resizeTo) resizeClient(hwnd, *reaction.resizeTo);
  if (reaction.repaint || !core.message().empty()) InvalidateRect(hwnd, nullptr, FALSE);
  armMessageTimer(hwnd, core);
  if (reaction.quit) DestroyWindow(hwnd);
}

void onPaint(HWND hwnd, ViewerCore& core) {
  paintView(hwnd, core);
  if (core.argvPending()) {
    // Returns once the command-line file is decoded.
    SendMessageA(hwnd, WM_COMMAND, IDM_DECODE_ARGV, 0);
    core.argvDecoded();
    // Paint the new frame now: nothing else may repaint the window for a long while, and until
    // then it would show grey under the file's name.
    InvalidateRect(hwnd, nullptr, FALSE);
  }
}

LRESULT onMouse(HWND hwnd, ViewerCore& core, UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_LBUTTONDOWN:
      SetCapture(hwnd);
      dragFrom = at;
      break;
    case WM_LBUTTONUP:
      ReleaseCapture();
      break;
    case WM_MOUSEMOVE:
      if ((wParam & MK_LBUTTON) != 0 && GetCapture() == hwnd) {
        apply(hwnd, core, core.onDrag(at.x - dragFrom.x, at.y - dragFrom.y));
        dragFrom = at;
      }
      break;
    case WM_MOUSEWHEEL:  // Ctrl + wheel zooms
      if ((GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) == 0 || GET_WHEEL_DELTA_WPARAM(wParam) == 0) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
      }
      apply(hwnd, core, core.run(ViewerCommand::zoom, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? 1 : -1));
      break;
  }
  return 0;
}

}  // namespace

void attachViewerCore(ViewerCore& core) {
  theCore = &core;
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (theCore == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  ViewerCore& core = *theCore;
  switch (message) {
    case WM_CREATE:
      core.onCreate();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_ERASEBKGND:  // the paint covers the whole client area itself
      return 1;
    case WM_PAINT:
      onPaint(hwnd, core);
      return 0;
    case WM_GETMINMAXINFO:
      limitTracking(hwnd, *reinterpret_cast<MINMAXINFO*>(lParam), core.minimumClient());
      return 0;
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale (or the scale changed): the system's suggested place
      // first, then the size the viewer wants there.
      const Reaction reaction = core.setDesktopDpi(HIWORD(wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      apply(hwnd, core, reaction);
      return 0;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED)
        apply(hwnd, core, core.onResize(LOWORD(lParam), HIWORD(lParam)));
      return 0;
    case WM_TIMER:
      if (wParam != kMessageTimer) return DefWindowProcA(hwnd, message, wParam, lParam);
      if (core.expireMessage(ViewerCore::Clock::now())) InvalidateRect(hwnd, nullptr, FALSE);
      armMessageTimer(hwnd, core);
      return 0;
    case WM_COMMAND:
      // Only the exact identifier counts: a notification code in the high word is another command.
      if (wParam == IDM_DECODE_ARGV) apply(hwnd, core, core.onCommand(IDM_DECODE_ARGV));
      return 0;
    case WM_DROPFILES:
      apply(hwnd, core, core.onDrop(takeDroppedPaths(reinterpret_cast<HDROP>(wParam))));
      return 0;
    case WM_KEYDOWN: {
      const int modifiers = heldModifiers();
      const int key = keyFromKeyDown(wParam, (modifiers & kModCtrl) != 0);
      if (key == kKeyNone) return DefWindowProcA(hwnd, message, wParam, lParam);
      apply(hwnd, core, core.onKey(key, modifiers));
      return 0;
    }
    case WM_CHAR: {
      // Shift and AltGr only choose the character; the character is the key.
      const int key = keyFromChar(wParam);
      if (key != kKeyNone) apply(hwnd, core, core.onKey(key, kModNone));
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSEWHEEL:
      return onMouse(hwnd, core, message, wParam, lParam);
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
