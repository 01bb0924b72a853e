#pragma once

// Every key the viewer knows, in one table. The shells translate their own key codes into a
// ViewerKey and a set of modifiers and look the pair up here; --help and the README list the
// same table.

#include <span>
#include <string>

// Platform-neutral keys. Printable keys are their character as typed without Shift (lower-case
// letters, digits, '=', '-', ' '); the others sit above the character range.
enum ViewerKey : int {
  kKeyNone = 0,
  kKeyBackSpace = 0x100,
  kKeyTab,
  kKeyEscape,
  kKeyLeft,
  kKeyRight,
  kKeyHome,
  kKeyEnd,
  kKeyPageUp,
  kKeyPageDown,
  kKeyF11,
  kKeyPadPlus,
  kKeyPadMinus,
};

// Modifier bits. Shift is not compared: it only chooses the character ('+' is Shift and '=' on
// many layouts), and the character is the key.
enum KeyModifier : int {
  kModNone = 0,
  kModCtrl = 1,
  kModAlt = 2,
};

enum class ViewerCommand {
  quit,        // leave the viewer
  escape,      // leave full screen; quit when not in full screen
  navigate,    // argument: +1 next file, -1 previous
  jump,        // argument: 0 first file, -1 last
  zoom,        // argument: +1 in, -1 out, 0 back to 1:1 (and the window to 384 x 280)
  fit,         // the largest whole scale at which the picture fits the window
  fullScreen,  // toggle
  profile,     // toggle between the classic and the accurate profile
  page,        // argument: +1 next picture of a CAT, -1 previous (accurate profile)
  info,        // toggle the info panel
  save,        // write what is shown, unscaled, as PNG beside the file
};

struct KeyBinding {
  int modifiers;
  int key;
  ViewerCommand command;
  int argument;
  const char* help;  // for the key list: what the key does
};

// The bindings, in the order the key list shows them.
std::span<const KeyBinding> keyBindings();

// The binding for key with modifiers (Shift ignored), or null.
const KeyBinding* findBinding(int key, int modifiers);

// "Ctrl+S", "Right", "Space", "+", "Keypad +", ...
std::string keyName(const KeyBinding& binding);

// The key list of --help: one line per command, its keys joined with ", ".
std::string keyListText();
