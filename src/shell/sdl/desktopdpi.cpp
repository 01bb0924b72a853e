#include "desktopdpi.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cstdlib>

namespace {

constexpr int kPlainDpi = 96;

// A whole number from 1 to `most` at the start of text, or 0.
int leadingNumber(const char* text, int most) {
  if (text == nullptr) return 0;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || !(value >= 1 && value <= most)) return 0;
  return static_cast<int>(value + 0.5);
}

}  // namespace

int desktopDpi() {
  if (const int scale = leadingNumber(std::getenv("GDK_SCALE"), 16)) return scale * kPlainDpi;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return kPlainDpi;
  int dpi = 0;
  if (const char* resources = XResourceManagerString(display)) {
    XrmInitialize();
    if (XrmDatabase database = XrmGetStringDatabase(resources)) {
      char* type = nullptr;
      XrmValue value{};
      if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) != 0) {
        dpi = leadingNumber(value.addr, 1536);
      }
      XrmDestroyDatabase(database);
    }
  }
  XCloseDisplay(display);
  return dpi > 0 ? dpi : kPlainDpi;
}
