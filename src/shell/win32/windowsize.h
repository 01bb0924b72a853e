#pragma once

#include <windows.h>

#include "viewercore.h"

// The viewer window's size: its first size, a client area asked for, the floor, the desktop's
// scale, and full screen.

inline constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
inline constexpr DWORD kWindowExStyle = WS_EX_ACCEPTFILES;

// The outer size to create the window at: 392 x 308, grown where the frame and caption would
// leave a client area smaller than the 384 x 280 frame.
SIZE firstWindowSize();

// Makes the client area `size`, about the window's centre and wholly on the monitor's work area
// (placeWindow); nothing while the window is maximised or full screen.
void resizeClient(HWND hwnd, ClientSize size);

// The client area grown to `floor` where it is smaller (the window is made at 96 dpi's size).
void growToFloor(HWND hwnd, ClientSize floor);

// The window's smallest size when the user drags its frame: a client area of `floor`.
void limitTracking(HWND hwnd, MINMAXINFO& limits, ClientSize floor);

// The dots per inch of the monitor the window is on (per-monitor aware: the manifest says so).
int windowDpi(HWND hwnd);

// Enters or leaves full screen: a borderless window over the whole monitor, then back to the
// style and place the window had.
void setFullScreen(HWND hwnd, bool on);
bool isFullScreen();
