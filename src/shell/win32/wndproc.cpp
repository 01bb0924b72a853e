#include "wndproc.h"

#include "droppaths.h"
#include "framepaint.h"
#include "picturepaint.h"

namespace {

ViewerCore* theCore = nullptr;

// Carries out what a handler asked for. When the profile changed (`wasAccurate` is what showed
// before), the new picture has another size: the background is painted afresh around it.
void apply(HWND hwnd, const ViewerCore& core, const Reaction& reaction, bool wasAccurate) {
  if (reaction.setCaption) SetWindowTextA(hwnd, reaction.caption.c_str());
  if (core.accurate() != wasAccurate) {
    InvalidateRgn(hwnd, nullptr, TRUE);
  } else if (reaction.repaint) {
    InvalidateRgn(hwnd, nullptr, FALSE);
  }
}

void onPaint(HWND hwnd, ViewerCore& core) {
  if (const AccuratePicture* picture = core.accuratePicture()) {
    paintPicture(hwnd, *picture);
  } else {
    // An accurate decode that failed shows no picture, not the classic frame from before.
    paintFrame(hwnd, core.accurate() ? nullptr : core.frame());
  }
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
  const bool wasAccurate = core.accurate();
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
      if (wParam == IDM_DECODE_ARGV) {
        apply(hwnd, core, core.onCommand(IDM_DECODE_ARGV), wasAccurate);
      }
      return 0;
    case WM_DROPFILES:
      apply(hwnd, core, core.onDrop(takeDroppedPaths(reinterpret_cast<HDROP>(wParam))),
            wasAccurate);
      return 0;
    case WM_KEYDOWN:  // Tab switches between the classic and the accurate profile
      if (wParam != VK_TAB) return DefWindowProcA(hwnd, message, wParam, lParam);
      apply(hwnd, core, core.toggleProfile(), wasAccurate);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
