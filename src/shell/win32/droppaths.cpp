#include "droppaths.h"

#include <shellapi.h>

std::vector<std::string> takeDroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  constexpr UINT kCountQuery = 0xFFFFFFFF;
  const UINT count = DragQueryFileA(drop, kCountQuery, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // Ask for the length first, so that no path is cut at a fixed buffer size. (Wine counts one
    // empty path in a drop without any; an empty path names no file either way.)
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::string path(static_cast<std::size_t>(length) + 1, '\0');
    const UINT copied = DragQueryFileA(drop, i, path.data(), length + 1);
    path.resize(copied <= length ? copied : length);
    paths.push_back(std::move(path));
  }
  DragFinish(drop);
  return paths;
}
