#include "webkeys.h"

#include <string_view>

#include "keytable.h"

int keyFromDom(const char* key, const char* code, bool ctrl) {
  const std::string_view name = key != nullptr ? key : "";
  const std::string_view place = code != nullptr ? code : "";
  // The keypad's keys type '+' and '-' like the others; only their place tells them apart.
  if (place == "NumpadAdd") return kKeyPadPlus;
  if (place == "NumpadSubtract") return kKeyPadMinus;
  constexpr struct {
    std::string_view name;
    int key;
  } kNamed[] = {
      {"Backspace", kKeyBackSpace},
      {"Tab", kKeyTab},
      {"Escape", kKeyEscape},
      {"ArrowLeft", kKeyLeft},
      {"ArrowRight", kKeyRight},
      {"Home", kKeyHome},
      {"End", kKeyEnd},
      {"PageUp", kKeyPageUp},
      {"PageDown", kKeyPageDown},
      {"F11", kKeyF11},
  };
  for (const auto& named : kNamed) {
    if (name == named.name) return named.key;
  }
  // Ctrl with a letter: the letter's place, whatever the layout or Shift made of it.
  if (ctrl && place.size() == 4 && place.starts_with("Key")) return place[3] - 'A' + 'a';
  if (name.size() != 1) return kKeyNone;
  const char c = name.front();
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= ' ' && c < 0x7F) return c;
  return kKeyNone;
}
