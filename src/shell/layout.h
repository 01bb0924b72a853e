#pragma once

// Where a picture goes in the client area. Both shells paint from this: grey everywhere, then
// the source rectangle of the picture stretched to the destination rectangle with nearest
// neighbour scaling (the destination may reach past the client area; the window clips it).

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 16;

struct ViewMode {
  bool fit = false;  // the largest whole scale at which the picture fits, centred
  int zoom = 1;      // otherwise: this scale, drawn from the top-left and panned by (panX, panY)
  int panX = 0, panY = 0;  // client pixels the scaled picture is moved up and to the left
  // At 1:1, a picture larger than the area is shown smaller to fit it, at the top-left, as the
  // accurate profile's pictures are shown at start.
  bool shrinkLarger = false;
};

struct Layout {
  Rect source;       // in picture pixels
  Rect destination;  // in client pixels
  int scale = 1;     // 0 when the picture is shown smaller than its own size
  bool operator==(const Layout&) const = default;
};

// The largest whole scale (1 to 16) at which width x height fits the area; 0 when even 1:1 does
// not fit.
int fitScale(int width, int height, int areaWidth, int areaHeight);

// The layout of a width x height picture in a client area. A picture larger than the area in fit
// mode is scaled down, proportions kept; pan offsets are clamped so that the picture never moves
// past its edges. An empty picture or area lays out nothing.
Layout layoutPicture(int width, int height, int clientWidth, int clientHeight, ViewMode mode);

// The pan offsets of mode kept within what a width x height picture at mode.zoom allows.
ViewMode clampPan(ViewMode mode, int width, int height, int clientWidth, int clientHeight);
