#pragma once

// The main window's procedure: turns window messages into ViewerCore calls and carries out the
// Reaction (caption, repaint, size, full screen, quit). All decoding happens inside these
// handlers, on the loop's thread.

#include <windows.h>

#include "viewercore.h"

// The core the window procedure drives. Set before the window is created (WM_CREATE already
// needs it); the core must outlive the window and the message loop.
void attachViewerCore(ViewerCore& core);

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
