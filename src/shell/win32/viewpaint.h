#pragma once

#include <windows.h>

#include "viewercore.h"

// Handles one WM_PAINT: grey over the whole client area but the picture, the picture as the
// core lays it out (stretched with nearest neighbour: pixel art stays crisp), then the info
// panel at the bottom and the message at the top, in GDI text.
void paintView(HWND hwnd, const ViewerCore& core);
