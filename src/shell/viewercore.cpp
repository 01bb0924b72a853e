#include "viewercore.h"

std::string commandLineText(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

std::string argvlineFrom(const char* lpszCmdParam) {
  if (lpszCmdParam == nullptr) return {};
  std::string_view text(lpszCmdParam);
  if (!text.empty() && text.front() == '"') {
    text.remove_prefix(1);
    if (!text.empty()) text.remove_suffix(1);  // a lone quote leaves nothing to cut
  }
  return std::string(text);
}

namespace {

// Length of the valid UTF-8 sequence at the start of s, or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string validUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = utf8SequenceLength(text);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD for the one bad byte
      text.remove_prefix(1);
    } else {
      out += text.substr(0, length);
      text.remove_prefix(length);
    }
  }
  return out;
}

ViewerCore::ViewerCore(std::string argvline) : argvline_(std::move(argvline)) {}

ViewerCore::~ViewerCore() {
  releaseFrameBuffer();
}

void ViewerCore::onCreate() {
  dyuverrc = kViewerThreshold;
}

Reaction ViewerCore::onCommand(int id) {
  if (id != IDM_DECODE_ARGV) return {};
  return decode(argvline_, false);
}

Reaction ViewerCore::onDrop(const std::vector<std::string>& paths) {
  if (paths.empty()) return {};
  return decode(paths.front(), true);
}

Reaction ViewerCore::decode(const std::string& path, bool repaint) {
  current_ = path, decoded_ = true, accurate_ = false, picture_ = AccuratePicture{};
  Reaction reaction;
  reaction.setCaption = true;
  reaction.status = decodeFile(path.c_str());
  reaction.caption = reaction.status == DecodeStatus::ok ? path : std::string(szAppname);
  reaction.repaint = repaint;
  return reaction;
}

Reaction ViewerCore::toggleProfile() {
  if (!decoded_) return {};
  if (accurate_) return decode(current_, true);
  accurate_ = true;
  Reaction reaction;
  reaction.setCaption = true;
  reaction.status = decodeAccurateFile(current_.c_str(), AccurateOptions{}, picture_);
  reaction.caption =
      (reaction.status == DecodeStatus::ok ? current_ : std::string(szAppname)) + kAccurateCaption;
  reaction.repaint = true;
  return reaction;
}
