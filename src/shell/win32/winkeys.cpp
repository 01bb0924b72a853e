#include "winkeys.h"

#include "keytable.h"

int keyFromKeyDown(WPARAM virtualKey, bool ctrl) {
  switch (virtualKey) {
    case VK_BACK:
      return kKeyBackSpace;
    case VK_TAB:
      return kKeyTab;
    case VK_ESCAPE:
      return kKeyEscape;
    case VK_LEFT:
      return kKeyLeft;
    case VK_RIGHT:
      return kKeyRight;
    case VK_HOME:
      return kKeyHome;
    case VK_END:
      return kKeyEnd;
    case VK_PRIOR:
      return kKeyPageUp;
    case VK_NEXT:
      return kKeyPageDown;
    case VK_F11:
      return kKeyF11;
    default:
      // Ctrl turns a letter's character into a control code: take the key itself.
      if (ctrl && virtualKey >= 'A' && virtualKey <= 'Z') return static_cast<int>(virtualKey) + 32;
      return kKeyNone;  // keypad plus and minus too: they type '+' and '-'
  }
}

int keyFromChar(WPARAM character) {
  if (character >= 'A' && character <= 'Z') return static_cast<int>(character) + 32;
  if (character >= ' ' && character < 0x7F) return static_cast<int>(character);
  return kKeyNone;  // control codes (the keys above sent them) and other letters
}

int heldModifiers() {
  return (GetKeyState(VK_CONTROL) < 0 ? kModCtrl : 0) | (GetKeyState(VK_MENU) < 0 ? kModAlt : 0);
}
