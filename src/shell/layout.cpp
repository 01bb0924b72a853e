#include "layout.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

int unitForDpi(int dpi) {
  return static_cast<int>(std::clamp<std::int64_t>((std::int64_t{dpi} + 47) / 96, 1, kMaxUnit));
}

ClientSize floorSize(int unit) {
  unit = std::clamp(unit, 1, kMaxUnit);
  return {kFloorUnits.width * unit, kFloorUnits.height * unit};
}

int fitScale(int width, int height, int areaWidth, int areaHeight, int most) {
  if (width <= 0 || height <= 0) return 0;
  return std::max(std::min({areaWidth / width, areaHeight / height, most}), 0);
}

namespace {

int ceilDiv(int value, int divisor) {
  return static_cast<int>((std::int64_t{value} + divisor - 1) / divisor);
}

// Where a shownWidth x shownHeight picture starts along one side of `client` pixels: centred in
// `area` (the whole client area, or the floor), or at 0 when it does not fit.
int offset(int shown, int client, int area) {
  return std::max((std::min(area, client) - shown) / 2, 0);
}

}  // namespace

int shrinkDivisor(int width, int height, int areaWidth, int areaHeight) {
  if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return 1;
  return std::max({ceilDiv(width, areaWidth), ceilDiv(height, areaHeight), 1});
}

ViewMode clampPan(ViewMode mode, int width, int height, int clientWidth, int clientHeight,
                  int unit) {
  const std::int64_t scale = std::int64_t{std::clamp(mode.zoom, kMinZoom, kMaxZoom)} * unit;
  const std::int64_t overX = width * scale - clientWidth;
  const std::int64_t overY = height * scale - clientHeight;
  mode.panX =
      static_cast<int>(std::clamp<std::int64_t>(mode.panX, 0, std::max<std::int64_t>(overX, 0)));
  mode.panY =
      static_cast<int>(std::clamp<std::int64_t>(mode.panY, 0, std::max<std::int64_t>(overY, 0)));
  return mode;
}

Layout layoutPicture(int width, int height, int clientWidth, int clientHeight, ViewMode mode,
                     int unit) {
  if (width <= 0 || height <= 0 || clientWidth <= 0 || clientHeight <= 0) return {{}, {}, 0, 1};
  unit = std::clamp(unit, 1, kMaxUnit);
  const ClientSize floor = floorSize(unit);
  mode.zoom = std::clamp(mode.zoom, kMinZoom, kMaxZoom);
  const bool shrinks = mode.fit || (mode.shrinkLarger && mode.zoom == 1);
  if (shrinks && (mode.fit || fitScale(width, height, clientWidth, clientHeight, unit) < unit)) {
    // The whole picture, at the largest scale that fits: whole, or a whole divisor.
    Layout layout;
    layout.scale =
        fitScale(width, height, clientWidth, clientHeight, mode.fit ? kMaxZoom * unit : unit);
    int shownWidth = width * layout.scale, shownHeight = height * layout.scale;
    if (layout.scale == 0) {
      layout.scale = 1;
      layout.divisor = shrinkDivisor(width, height, clientWidth, clientHeight);
      shownWidth = ceilDiv(width, layout.divisor), shownHeight = ceilDiv(height, layout.divisor);
      layout.source = {0, 0, shownWidth, shownHeight};
    } else {
      layout.source = {0, 0, width, height};
    }
    const int areaWidth = mode.fit ? clientWidth : floor.width;
    const int areaHeight = mode.fit ? clientHeight : floor.height;
    layout.destination = {offset(shownWidth, clientWidth, areaWidth),
                          offset(shownHeight, clientHeight, areaHeight), shownWidth, shownHeight};
    return layout;
  }
  // From the top-left, panned: only the picture pixels that reach the area are taken, the first
  // one possibly cut by the pan, so that a 16x zoom of a large picture costs what the area costs.
  mode = clampPan(mode, width, height, clientWidth, clientHeight, unit);
  const int scale = mode.zoom * unit;
  const int firstX = mode.panX / scale, firstY = mode.panY / scale;
  const int lastX = std::min(width, (mode.panX + clientWidth + scale - 1) / scale);
  const int lastY = std::min(height, (mode.panY + clientHeight + scale - 1) / scale);
  const int left =
      offset(static_cast<int>(std::min<std::int64_t>(std::int64_t{width} * scale, clientWidth)),
             clientWidth, floor.width);
  const int top =
      offset(static_cast<int>(std::min<std::int64_t>(std::int64_t{height} * scale, clientHeight)),
             clientHeight, floor.height);
  Layout layout;
  layout.scale = scale;
  layout.source = {firstX, firstY, lastX - firstX, lastY - firstY};
  layout.destination = {firstX * scale - mode.panX + left, firstY * scale - mode.panY + top,
                        (lastX - firstX) * scale, (lastY - firstY) * scale};
  return layout;
}

std::string ratioText(const Layout& layout, int unit) {
  const int shown = std::max(layout.scale, 1),
            own = std::max(layout.divisor, 1) * std::max(unit, 1);
  const int common = std::gcd(shown, own);
  const int up = shown / common, down = own / common;
  if (down == 1) return up == 1 ? "1:1" : std::to_string(up) + "x";
  return std::to_string(up) + ":" + std::to_string(down);
}

Rect placeWindow(Rect outer, ClientSize client, Insets frame, Rect workArea) {
  const int frameWidth = frame.left + frame.right, frameHeight = frame.top + frame.bottom;
  const int width = std::clamp(client.width, 1, std::max(workArea.width - frameWidth, 1));
  const int height = std::clamp(client.height, 1, std::max(workArea.height - frameHeight, 1));
  Rect placed{0, 0, width + frameWidth, height + frameHeight};
  // About the centre; halves taken towards the top-left.
  const auto centred = [](int start, int size, int newSize) {
    const std::int64_t twice = std::int64_t{start} * 2 + size - newSize;
    return static_cast<int>(twice >= 0 ? twice / 2 : (twice - 1) / 2);
  };
  const auto onto = [](int start, int size, int areaStart, int areaSize) {
    return std::max(std::min(start, areaStart + areaSize - size), areaStart);
  };
  placed.x =
      onto(centred(outer.x, outer.width, placed.width), placed.width, workArea.x, workArea.width);
  placed.y = onto(centred(outer.y, outer.height, placed.height), placed.height, workArea.y,
                  workArea.height);
  return placed;
}
