#include "layout.h"

#include <algorithm>
#include <cstdint>

#include "accurateview.h"

int fitScale(int width, int height, int areaWidth, int areaHeight) {
  if (width <= 0 || height <= 0) return 0;
  return std::min({areaWidth / width, areaHeight / height, kMaxZoom});
}

ViewMode clampPan(ViewMode mode, int width, int height, int clientWidth, int clientHeight) {
  const std::int64_t overX = std::int64_t{width} * mode.zoom - clientWidth;
  const std::int64_t overY = std::int64_t{height} * mode.zoom - clientHeight;
  mode.panX =
      static_cast<int>(std::clamp<std::int64_t>(mode.panX, 0, std::max<std::int64_t>(overX, 0)));
  mode.panY =
      static_cast<int>(std::clamp<std::int64_t>(mode.panY, 0, std::max<std::int64_t>(overY, 0)));
  return mode;
}

Layout layoutPicture(int width, int height, int clientWidth, int clientHeight, ViewMode mode) {
  if (width <= 0 || height <= 0 || clientWidth <= 0 || clientHeight <= 0) return {{}, {}, 0};
  Layout layout;
  if (mode.fit) {
    const int scale = fitScale(width, height, clientWidth, clientHeight);
    if (scale == 0) {  // larger than the area: shown smaller, proportions kept
      const ViewSize size = fitWithin(width, height, clientWidth, clientHeight);
      layout.scale = 0;
      layout.source = {0, 0, width, height};
      layout.destination = {(clientWidth - size.width) / 2, (clientHeight - size.height) / 2,
                            size.width, size.height};
      return layout;
    }
    layout.scale = scale;
    layout.source = {0, 0, width, height};
    layout.destination = {(clientWidth - width * scale) / 2, (clientHeight - height * scale) / 2,
                          width * scale, height * scale};
    return layout;
  }
  if (mode.shrinkLarger && mode.zoom == 1 && (width > clientWidth || height > clientHeight)) {
    const ViewSize size = fitWithin(width, height, clientWidth, clientHeight);
    return {{0, 0, width, height}, {0, 0, size.width, size.height}, 0};
  }
  // From the top-left, panned: only the picture pixels that reach the area are taken, the first
  // one possibly cut by the pan, so that a 16x zoom of a large picture costs what the area costs.
  mode.zoom = std::clamp(mode.zoom, kMinZoom, kMaxZoom);
  mode = clampPan(mode, width, height, clientWidth, clientHeight);
  const int scale = mode.zoom;
  const int firstX = mode.panX / scale, firstY = mode.panY / scale;
  const int lastX = std::min(width, (mode.panX + clientWidth + scale - 1) / scale);
  const int lastY = std::min(height, (mode.panY + clientHeight + scale - 1) / scale);
  layout.scale = scale;
  layout.source = {firstX, firstY, lastX - firstX, lastY - firstY};
  layout.destination = {firstX * scale - mode.panX, firstY * scale - mode.panY,
                        (lastX - firstX) * scale, (lastY - firstY) * scale};
  return layout;
}
