#pragma once

#include <array>
#include <string_view>

// The name of an image model as CD-i authoring documents it; "" for a code without one.
inline std::string_view modelName(int model) {
  constexpr std::array<std::string_view, 11> kNames = {
      "", "RGB888", "RGB555", "DYUV", "CLUT8", "CLUT7", "CLUT4", "CLUT3", "RL7", "RL3", "PLTE"};
  return model >= 0 && model < static_cast<int>(kNames.size()) ? kNames[model] : "";
}
