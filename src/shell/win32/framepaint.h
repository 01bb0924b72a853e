#pragma once

#include <windows.h>

// Handles one WM_PAINT: shows the 384 x 280 frame (rows top to bottom, blue-green-red, rows
// 1152 bytes apart) at the client area's top-left; with no frame yet (null) only the class's
// grey background shows.
void paintFrame(HWND hwnd, const unsigned char* frame);
