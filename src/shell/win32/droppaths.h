#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The paths of the dropped files, in the order of the drop, each read at its full length however
// long it is; then the drop handle is released. Empty when the drop holds no file.
std::vector<std::string> takeDroppedPaths(HDROP drop);
