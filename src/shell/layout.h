#pragma once

// Where a picture goes in the client area, and where the window goes on the screen. Both shells
// paint from this: grey everywhere, then the source rectangle of the picture stretched to the
// destination rectangle with nearest neighbour scaling (the destination may reach past the client
// area; the window clips it). Sizes the user sees are in desktop units: one unit is `unit` screen
// pixels (2 on a 192-dpi desktop), so that the viewer looks the same on every screen.

#include <string>

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

struct ClientSize {
  int width = 0, height = 0;
  bool operator==(const ClientSize&) const = default;
};

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 16;
// The client area is never smaller than this many units: a smaller picture is centred in it, and
// the info panel and messages have room to be read.
inline constexpr ClientSize kFloorUnits{384, 280};
inline constexpr int kMaxUnit = 4;  // 384 dpi; the floor then still fits a 1920 x 1080 screen

// Screen pixels per desktop unit for a desktop of `dpi` dots per inch: the nearest whole number
// (a half rounds down, so a 144-dpi desktop keeps 1), from 1 to kMaxUnit.
int unitForDpi(int dpi);

// The floor in screen pixels.
ClientSize floorSize(int unit);

struct ViewMode {
  bool fit = false;        // the largest scale at which the picture fits, centred
  int zoom = 1;            // otherwise: this many units per picture pixel, panned by (panX, panY)
  int panX = 0, panY = 0;  // client pixels the scaled picture is moved up and to the left
  // At 1:1, a picture larger than the area is shown smaller to fit it, as the accurate profile's
  // pictures are shown at start.
  bool shrinkLarger = false;
  bool operator==(const ViewMode&) const = default;
};

struct Layout {
  Rect source;       // in picture pixels
  Rect destination;  // in client pixels
  // Screen pixels per picture pixel: scale / divisor, one of them 1. A divisor above 1 means
  // that each divisor x divisor box of the picture is averaged into one pixel; source and
  // destination are then both in the pixels of that smaller picture (see boxshrink.h).
  int scale = 1;  // 0 when nothing is laid out
  int divisor = 1;
  bool operator==(const Layout&) const = default;
};

// The largest whole scale (1 to `most`) at which width x height fits the area; 0 when even 1:1
// does not fit.
int fitScale(int width, int height, int areaWidth, int areaHeight, int most = kMaxZoom);

// The smallest whole divisor at which width x height, each box of divisor x divisor pixels made
// one (cut boxes at the right and bottom edges count whole), fits the area.
int shrinkDivisor(int width, int height, int areaWidth, int areaHeight);

// The layout of a width x height picture in a client area, `unit` screen pixels per desktop
// unit. Fit centres the picture in the area; a manual zoom draws a picture smaller than the floor
// centred in the floor at the top-left (so that the placement is the same in the window the
// floor makes at every zoom), and a larger one from the top-left, panned. A picture larger than
// the area in fit mode, or at the start-up 1:1, is shrunk by whole divisors. Pan offsets are
// clamped so that the picture never moves past its edges. An empty picture or area lays out
// nothing.
Layout layoutPicture(int width, int height, int clientWidth, int clientHeight, ViewMode mode,
                     int unit = 1);

// The pan offsets of mode kept within what a width x height picture at mode.zoom allows.
ViewMode clampPan(ViewMode mode, int width, int height, int clientWidth, int clientHeight,
                  int unit = 1);

// The zoom as the user sees it, in desktop units: "1:1", "3x", "1:2", "3:2".
std::string ratioText(const Layout& layout, int unit);

// The width of a window's frame on each side: title bar, borders.
struct Insets {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Where a window whose outer rectangle is `outer` goes when its client area is to become
// `client`: it grows or shrinks about its centre, no larger than the work area (a larger picture
// then pans), and is then moved as little as needed to lie wholly on the work area, frame and all.
// Returns the new outer rectangle; its client area is that less `frame`.
Rect placeWindow(Rect outer, ClientSize client, Insets frame, Rect workArea);
