// The viewer's entry point: reads the options, registers the window class, creates the one
// window and runs the message loop. The command-line file is only remembered here; the first
// paint decodes it.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "viewercore.h"
#include "windowsize.h"
#include "wndproc.h"

namespace {

// 0x1003: repaint whole on any resize, client area byte-aligned (CS_BYTEALIGNCLIENT, 0x1000).
constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_BYTEALIGNCLIENT;

static_assert(kClassStyle == 0x1003);
static_assert(kWindowStyle == 0xCE0000);

// A program of the Windows subsystem has no console: --help and the usage errors are written to
// the console of the command prompt that started it, or wherever its output was sent.
void reachParentConsole() {
  if (GetStdHandle(STD_OUTPUT_HANDLE) != nullptr || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}

// Says what failed and why where a user sees it, for a program started without a console.
int failed(const char* what) {
  char reason[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 GetLastError(), 0, reason, sizeof reason, nullptr);
  std::string text = std::string(what) + ": " + reason;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();  // the system's reasons end in a line break
  std::fprintf(stderr, "dragndrop: %s\n", text.c_str());
  MessageBoxA(nullptr, text.c_str(), szAppname, MB_OK | MB_ICONERROR);
  return 1;
}

bool registerWindowClass(HINSTANCE hInstance) {
  WNDCLASSA wndclass{};
  wndclass.style = kClassStyle;
  wndclass.lpfnWndProc = WndProc;
  wndclass.hInstance = hInstance;
  wndclass.hIcon = LoadIconA(hInstance, "ICON_1");
  wndclass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wndclass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wndclass.lpszMenuName = szAppname;  // no such menu resource: the window has no menu bar
  wndclass.lpszClassName = szAppname;
  return RegisterClassA(&wndclass) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE hPrevInstance, LPSTR, int nCmdShow) {
  // The arguments as the runtime splits the command line (quotes taken off); with the program's
  // UTF-8 code page (its manifest) they carry any Unicode path.
  const ViewerOptions options =
      parseViewerOptions(std::vector<std::string>(__argv + 1, __argv + __argc));
  switch (options.action) {
    case ViewerOptions::Action::help:
      reachParentConsole();
      std::fputs(helpText().c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case ViewerOptions::Action::version:
      reachParentConsole();
      std::printf("dragndrop %s\n", PELMORA_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case ViewerOptions::Action::usageError:
      reachParentConsole();
      std::fprintf(stderr, "dragndrop: %s\nTry 'dragndrop --help'.\n", options.error.c_str());
      return 2;
    case ViewerOptions::Action::view:
      break;
  }

  // Declared first so that it outlives the window and the loop; its destructor frees the frame.
  ViewerCore core(options);
  if (hPrevInstance != nullptr) return -1;
  if (!registerWindowClass(hInst)) return failed("cannot register the window class");
  attachViewerCore(core);

  const SIZE outer = firstWindowSize();
  HWND hwnd = CreateWindowExA(kWindowExStyle, szAppname, szAppname, kWindowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, outer.cx, outer.cy, nullptr, nullptr, hInst, nullptr);
  if (hwnd == nullptr) return failed("cannot create the window");
  // Made at 96 dpi's size; on a larger scale the floor grows with it.
  core.setDesktopDpi(windowDpi(hwnd));
  growToFloor(hwnd, core.minimumClient());
  if (core.fullScreen()) setFullScreen(hwnd, true);
  ShowWindow(hwnd, nCmdShow);
  UpdateWindow(hwnd);

  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {  // -1 is an error, not a message
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
