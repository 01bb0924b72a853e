#pragma once

// Keeps the program alive through X errors that only say a window has gone.
//
// Messages to other windows (a drag source's status and finish replies, SDL's own wake-up
// messages, which it sends from a second connection) may reach the server after the window they
// are for was destroyed: a drag source may quit at any time, and SDL's wake-up for the key that
// closes our window races with the window's destruction. Xlib's default answer to the
// resulting BadWindow is to end the program with status 1. These errors are ignored; every
// other error still goes to the handler that was in place before.
// Call before SDL_Init: SDL chains its own handler to this one and puts it back when it closes
// its connections, which is when the error about a wake-up message is reported.
void tolerateVanishedWindows();
