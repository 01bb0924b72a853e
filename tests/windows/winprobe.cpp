// Looks at and pokes the running viewer from another Windows process, for the tests under Wine:
//   winprobe caption                  print the caption
//   winprobe wait-caption TEXT        wait (10 s at most) until the caption is TEXT
//   winprobe capture OUT.ppm X Y W H  a W x H block of the client area at (X, Y), as the screen
//                                     shows it
//   winprobe client                   print the client area's size, "W H"
//   winprobe resize W H               make the outer window W x H and wait for the repaint
//   winprobe command ID               send WM_COMMAND with wParam ID, print what it returned
//   winprobe tab                      press Tab in the window
//   winprobe close                    ask the window to close
//   winprobe window                   print "STYLE EXSTYLE CLASSSTYLE WIDTH HEIGHT" (hex styles,
//                                     outer size)
//   winprobe icon EXE                 exit 0 when EXE holds an icon resource named ICON_1
// Output lines end in a bare LF. Exit status 0 on success, 1 on failure, 2 on a usage error.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "viewercore.h"

namespace {

constexpr DWORD kPatienceMs = 10000;

HWND findViewer() {
  for (DWORD waited = 0; waited < kPatienceMs; waited += 50) {
    if (HWND hwnd = FindWindowA(szAppname, nullptr)) return hwnd;
    Sleep(50);
  }
  std::fputs("winprobe: no viewer window\n", stderr);
  std::exit(1);
}

std::string caption(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
  return text;
}

int waitCaption(HWND hwnd, const std::string& wanted) {
  for (DWORD waited = 0; waited < kPatienceMs; waited += 50) {
    if (caption(hwnd) == wanted) return 0;
    Sleep(50);
  }
  std::fprintf(stderr, "winprobe: caption is \"%s\", not \"%s\"\n", caption(hwnd).c_str(),
               wanted.c_str());
  return 1;
}

// Reads the pixels from the screen, where the viewer painted them, as 8-bit RGB.
int capture(HWND hwnd, const char* out, POINT origin, int width, int height) {
  if (width <= 0 || height <= 0) return 1;
  // The viewer first finishes the message it is handling (a drop sets the caption before it
  // invalidates), then paints what that left pending, in its own thread.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, kPatienceMs, &ignored);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW);
  ClientToScreen(hwnd, &origin);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return 1;
  HGDIOBJ old = SelectObject(memory, bitmap);
  const BOOL copied = BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  std::vector<unsigned char> rgb;
  const auto* bgrx = static_cast<const unsigned char*>(bits);
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
    rgb.insert(rgb.end(), {bgrx[4 * i + 2], bgrx[4 * i + 1], bgrx[4 * i]});
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) return 1;
  FILE* file = std::fopen(out, "wb");
  if (file == nullptr) return 1;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  const bool written = std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
  return std::fclose(file) == 0 && written ? 0 : 1;
}

int resize(HWND hwnd, int width, int height) {
  SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Paints synchronously in the viewer's thread before returning.
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return 0;
}

int describeWindow(HWND hwnd) {
  RECT outer{};
  GetWindowRect(hwnd, &outer);
  std::printf("%#lx %#lx %#lx %ld %ld\n",
              static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_EXSTYLE)),
              static_cast<unsigned long>(GetClassLongA(hwnd, GCL_STYLE)), outer.right - outer.left,
              outer.bottom - outer.top);
  return 0;
}

int hasIcon(const char* exe) {
  HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return 1;
  const bool found = FindResourceA(module, "ICON_1", RT_GROUP_ICON) != nullptr;
  FreeLibrary(module);
  return found ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // LF line ends, as the shell scripts expect
  const std::string verb = argc > 1 ? argv[1] : "";
  const auto number = [&](int i) { return std::atoi(argv[i]); };
  if (verb == "caption" && argc == 2) {
    std::printf("%s\n", caption(findViewer()).c_str());
    return 0;
  }
  if (verb == "wait-caption" && argc == 3) return waitCaption(findViewer(), argv[2]);
  if (verb == "capture" && argc == 7) {
    return capture(findViewer(), argv[2], {number(3), number(4)}, number(5), number(6));
  }
  if (verb == "client" && argc == 2) {
    RECT client{};
    GetClientRect(findViewer(), &client);
    std::printf("%ld %ld\n", client.right, client.bottom);
    return 0;
  }
  if (verb == "resize" && argc == 4) return resize(findViewer(), number(2), number(3));
  if (verb == "command" && argc == 3) {
    const LRESULT result =
        SendMessageA(findViewer(), WM_COMMAND, std::strtoull(argv[2], nullptr, 0), 0);
    std::printf("%lld\n", static_cast<long long>(result));
    return 0;
  }
  if (verb == "window" && argc == 2) return describeWindow(findViewer());
  if (verb == "icon" && argc == 3) return hasIcon(argv[2]);
  if (verb == "tab" && argc == 2) {
    HWND hwnd = findViewer();
    const bool sent = PostMessageA(hwnd, WM_KEYDOWN, VK_TAB, 1) &&
                      PostMessageA(hwnd, WM_KEYUP, VK_TAB, 0xC0000001);
    return sent ? 0 : 1;
  }
  if (verb == "close" && argc == 2) return PostMessageA(findViewer(), WM_CLOSE, 0, 0) ? 0 : 1;
  std::fputs(
      "usage: winprobe caption|wait-caption|capture|client|resize|command|tab|close|window|icon\n",
      stderr);
  return 2;
}
