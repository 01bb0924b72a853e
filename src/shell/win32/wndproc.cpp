#include "wndproc.h"

#include "droppaths.h"
#include "framepaint.h"

namespace {

ViewerCore* theCore = nullptr;

void apply(HWND hwnd, const Reaction& reaction) {
  if (reaction.setCaption) SetWindowTextA(hwnd, reaction.caption.c_str());
  if (reaction.repaint) InvalidateRgn(hwnd, nullptr, FALSE);
}

void onPaint(HWND hwnd, ViewerCore& core) {
  paintFrame(hwnd, core.frame());
  if (core.argvPending()) {
    // Returns once the command-line file is decoded.
    SendMessageA(hwnd, WM_COMMAND, IDM_DECODE_ARGV, 0);
    core.argvDecoded();
    // Paint the new frame now: nothing else may repaint the window for a long while, and until
    // then it would show grey under the file's name.
    InvalidateRgn(hwnd, nullptr, FALSE);
  }
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
    case WM_PAINT:
      onPaint(hwnd, core);
      return 0;
    case WM_COMMAND:
      // Only the exact identifier counts: a notification code in the high word is another command.
      if (wParam == IDM_DECODE_ARGV) apply(hwnd, core.onCommand(IDM_DECODE_ARGV));
      return 0;
    case WM_DROPFILES:
      apply(hwnd, core.onDrop(takeDroppedPaths(reinterpret_cast<HDROP>(wParam))));
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
