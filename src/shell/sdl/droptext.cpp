#include "droptext.h"

#include <algorithm>
#include <cctype>

namespace {

// `prefix` is lower-case.
bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char wanted, char got) {
           return std::tolower(static_cast<unsigned char>(got)) == wanted;
         });
}

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX escapes become bytes; a '%' not followed by two hex digits stays as it is, since some
// drag sources leave such names unescaped. A decoded zero byte cannot be part of a path.
std::optional<std::string> percentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      const char byte = static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      if (byte == '\0') return std::nullopt;
      out += byte;
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> pathFromDropText(std::string_view line) {
  line = trimmed(line);
  if (line.find('\0') != std::string_view::npos) return std::nullopt;
  if (!line.empty() && line.front() == '/') return std::string(line);
  if (!startsWithNoCase(line, "file:")) return std::nullopt;
  line.remove_prefix(5);
  if (line.starts_with("//")) {  // an authority: only this machine's files can be opened
    line.remove_prefix(2);
    const std::size_t slash = line.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view host = line.substr(0, slash);
    if (!host.empty() && !(host.size() == 9 && startsWithNoCase(host, "localhost"))) {
      return std::nullopt;
    }
    line.remove_prefix(slash);
  }
  if (line.empty() || line.front() != '/') return std::nullopt;
  return percentDecoded(line);
}

std::optional<std::string> firstPathInDropText(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (auto path = pathFromDropText(line)) return path;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return std::nullopt;
}
