#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The path of the first dropped file (the viewer uses no other), read at its full length
// however long it is, then the drop handle released. Empty when the drop holds no file.
std::vector<std::string> takeDroppedPaths(HDROP drop);
