#pragma once

// The viewer holds paths as UTF-8 text, and the Windows programs run with UTF-8 as their code
// page. The standard library's own narrow path conversions follow the C runtime's locale on
// Windows, which is not UTF-8 there, and garble names outside ASCII: convert explicitly. On
// other systems a path's bytes pass unchanged, valid UTF-8 or not.

#include <filesystem>
#include <string>

inline std::filesystem::path pathFromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
