// The viewer's entry point: registers the window class, creates the one window and runs the
// message loop. The command-line file is only remembered here; the first paint decodes it.

#include <windows.h>

#include "viewercore.h"
#include "wndproc.h"

namespace {

// 0x1003: repaint whole on any resize, client area byte-aligned (CS_BYTEALIGNCLIENT, 0x1000).
constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_BYTEALIGNCLIENT;
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr int kOuterWidth = 392;   // the 384-pixel frame plus the sizing frame
constexpr int kOuterHeight = 308;  // the 280-row frame plus caption and sizing frame

static_assert(kClassStyle == 0x1003);
static_assert(kWindowStyle == 0xCE0000);

void registerWindowClass(HINSTANCE hInstance) {
  WNDCLASSA wndclass{};
  wndclass.style = kClassStyle;
  wndclass.lpfnWndProc = WndProc;
  wndclass.hInstance = hInstance;
  wndclass.hIcon = LoadIconA(hInstance, "ICON_1");
  wndclass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wndclass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wndclass.lpszMenuName = szAppname;  // no such menu resource: the window has no menu bar
  wndclass.lpszClassName = szAppname;
  RegisterClassA(&wndclass);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE hPrevInstance, LPSTR lpszCmdParam, int nCmdShow) {
  // Declared first so that it outlives the window and the loop; its destructor frees the frame.
  ViewerCore core(argvlineFrom(lpszCmdParam));
  if (hPrevInstance != nullptr) return -1;
  registerWindowClass(hInst);
  attachViewerCore(core);

  HWND hwnd =
      CreateWindowExA(WS_EX_ACCEPTFILES, szAppname, szAppname, kWindowStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, kOuterWidth, kOuterHeight, nullptr, nullptr, hInst, nullptr);
  ShowWindow(hwnd, nCmdShow);
  UpdateWindow(hwnd);

  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {  // -1 is an error, not a message
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
