#pragma once

#include <windows.h>

#include "accurate.h"

// Handles one WM_PAINT in the accurate profile: the picture at the client area's top-left, at
// its own size or scaled down to fit with its proportions kept.
void paintPicture(HWND hwnd, const AccuratePicture& picture);
