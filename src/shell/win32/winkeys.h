#pragma once

#include <windows.h>

// Windows keys as the viewer's key table (keytable.h) names them.

// A WM_KEYDOWN: the keys that type no character, and Ctrl with a letter (Ctrl+S). kKeyNone for
// every other key: its character comes as a WM_CHAR.
int keyFromKeyDown(WPARAM virtualKey, bool ctrl);

// A WM_CHAR: the printable ASCII character typed (letters in lower case), or kKeyNone.
int keyFromChar(WPARAM character);

// Ctrl and Alt as the key table's modifier bits, as they are held now.
int heldModifiers();
