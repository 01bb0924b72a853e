#pragma once

#include <windows.h>

#include "viewercore.h"

// The viewer window's size: its first size, a client area asked for, and full screen.

inline constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
inline constexpr DWORD kWindowExStyle = WS_EX_ACCEPTFILES;

// The outer size to create the window at: 392 x 308, grown where the frame and caption would
// leave a client area smaller than the 384 x 280 frame.
SIZE firstWindowSize();

// Makes the client area `size`, as far as the monitor's work area allows; nothing while the
// window is maximised or full screen.
void resizeClient(HWND hwnd, ClientSize size);

// Enters or leaves full screen: a borderless window over the whole monitor, then back to the
// style and place the window had.
void setFullScreen(HWND hwnd, bool on);
bool isFullScreen();
