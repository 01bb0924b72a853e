#pragma once

// The browser's keys in the viewer's key table (keytable.h): KeyboardEvent.key and .code in,
// a ViewerKey or a character out; kKeyNone for keys the table does not know.
int keyFromDom(const char* key, const char* code, bool ctrl);
