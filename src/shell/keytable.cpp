#include "keytable.h"

#include <algorithm>
#include <array>

namespace {

using C = ViewerCommand;

// One line per key; the keys of one command and argument stand together, so that the key list
// can join them.
constexpr std::array kBindings{
    KeyBinding{kModNone, 'n', C::navigate, +1, "next file"},
    KeyBinding{kModNone, kKeyRight, C::navigate, +1, "next file"},
    KeyBinding{kModNone, ' ', C::navigate, +1, "next file"},
    KeyBinding{kModNone, 'p', C::navigate, -1, "previous file"},
    KeyBinding{kModNone, kKeyLeft, C::navigate, -1, "previous file"},
    KeyBinding{kModNone, kKeyBackSpace, C::navigate, -1, "previous file"},
    KeyBinding{kModNone, kKeyHome, C::jump, 0, "first file"},
    KeyBinding{kModNone, kKeyEnd, C::jump, -1, "last file"},
    KeyBinding{kModNone, '+', C::zoom, +1, "zoom in (up to 16x)"},
    KeyBinding{kModNone, '=', C::zoom, +1, "zoom in (up to 16x)"},
    KeyBinding{kModNone, kKeyPadPlus, C::zoom, +1, "zoom in (up to 16x)"},
    KeyBinding{kModNone, '-', C::zoom, -1, "zoom out"},
    KeyBinding{kModNone, kKeyPadMinus, C::zoom, -1, "zoom out"},
    KeyBinding{kModNone, '0', C::zoom, 0, "1:1, window back to 384 x 280"},
    KeyBinding{kModNone, 'w', C::fit, 0, "fit the picture to the window"},
    KeyBinding{kModNone, 'f', C::fullScreen, 0, "full screen on or off"},
    KeyBinding{kModNone, kKeyF11, C::fullScreen, 0, "full screen on or off"},
    KeyBinding{kModNone, kKeyTab, C::profile, 0, "classic or accurate profile"},
    KeyBinding{kModNone, kKeyPageDown, C::page, +1, "next picture of a CAT"},
    KeyBinding{kModNone, kKeyPageUp, C::page, -1, "previous picture of a CAT"},
    KeyBinding{kModNone, 'i', C::info, 0, "info panel on or off"},
    KeyBinding{kModCtrl, 's', C::save, 0, "save what is shown as PNG beside the file"},
    KeyBinding{kModNone, kKeyEscape, C::escape, 0, "leave full screen, or quit"},
    KeyBinding{kModCtrl, 'q', C::quit, 0, "quit"},
};

const char* namedKey(int key) {
  switch (key) {
    case kKeyBackSpace:
      return "BackSpace";
    case kKeyTab:
      return "Tab";
    case kKeyEscape:
      return "Esc";
    case kKeyLeft:
      return "Left";
    case kKeyRight:
      return "Right";
    case kKeyHome:
      return "Home";
    case kKeyEnd:
      return "End";
    case kKeyPageUp:
      return "PageUp";
    case kKeyPageDown:
      return "PageDown";
    case kKeyF11:
      return "F11";
    case kKeyPadPlus:
      return "Keypad +";
    case kKeyPadMinus:
      return "Keypad -";
    case ' ':
      return "Space";
    default:
      return nullptr;
  }
}

}  // namespace

std::span<const KeyBinding> keyBindings() {
  return kBindings;
}

const KeyBinding* findBinding(int key, int modifiers) {
  for (const KeyBinding& binding : kBindings) {
    if (binding.key == key && binding.modifiers == (modifiers & (kModCtrl | kModAlt))) {
      return &binding;
    }
  }
  return nullptr;
}

std::string keyName(const KeyBinding& binding) {
  std::string name = binding.modifiers & kModCtrl ? "Ctrl+" : "";
  if (binding.modifiers & kModAlt) name += "Alt+";
  if (const char* named = namedKey(binding.key)) return name + named;
  const char c = static_cast<char>(binding.key);
  name += binding.modifiers != kModNone && c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  return name;
}

std::string keyListText() {
  std::string text, keys;
  for (std::size_t i = 0; i < kBindings.size(); ++i) {
    const KeyBinding& b = kBindings[i];
    keys += (keys.empty() ? "" : ", ") + keyName(b);
    const bool last = i + 1 == kBindings.size() || kBindings[i + 1].command != b.command ||
                      kBindings[i + 1].argument != b.argument;
    if (!last) continue;
    keys.resize(std::max<std::size_t>(keys.size() + 2, 26), ' ');
    text += "  " + keys + b.help + "\n";
    keys.clear();
  }
  return text;
}
