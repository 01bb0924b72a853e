#include "textbox.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>

#include "viewercore.h"

namespace {

constexpr int kFontPixels = 15;
constexpr int kPadding = 6;
constexpr SDL_Color kText{255, 255, 255, 255};
constexpr Uint8 kBox = 32;  // near-black box behind the text

// The file of the font fontconfig picks for "DejaVu Sans", or "" when there is none.
std::string fontFile() {
  std::string file;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return file;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
  if (pattern != nullptr) {
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
      FcChar8* name = nullptr;
      if (FcPatternGetString(match, FC_FILE, 0, &name) == FcResultMatch) {
        file = reinterpret_cast<const char*>(name);
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
  return file;
}

}  // namespace

TextBox::~TextBox() {
  if (font_ != nullptr) TTF_CloseFont(font_);
  if (tried_ && TTF_WasInit()) TTF_Quit();
}

bool TextBox::open() {
  if (tried_) return font_ != nullptr;
  tried_ = true;
  if (TTF_Init() != 0) {
    std::fprintf(stderr, "dragndrop: no text: %s\n", TTF_GetError());
    return false;
  }
  const std::string file = fontFile();
  if (file.empty()) {
    std::fprintf(stderr, "dragndrop: no text: fontconfig finds no font (fonts-dejavu-core)\n");
    return false;
  }
  size_ = pixels(kFontPixels);
  font_ = TTF_OpenFont(file.c_str(), size_);
  if (font_ == nullptr) std::fprintf(stderr, "dragndrop: no text: %s\n", TTF_GetError());
  return font_ != nullptr;
}

void TextBox::setDpi(int dpi) {
  dpi_ = dpi > 0 ? dpi : 96;
}

int TextBox::pixels(int size) const {
  return std::max(size * dpi_ / 96, 1);
}

// One line at `size` pixels (96-dpi pixels), wrapped at `wrap`; null for an empty line.
SDL_Surface* TextBox::render(const std::string& line, int size, Uint32 wrap) {
  if (pixels(size) != size_ && TTF_SetFontSize(font_, pixels(size)) == 0) size_ = pixels(size);
  if (line.empty()) return nullptr;
  return TTF_RenderUTF8_Blended_Wrapped(font_, validUtf8(line).c_str(), kText, wrap);
}

void TextBox::drawCentred(SDL_Surface* target, const std::vector<std::string>& lines) {
  if (lines.empty() || !open()) return;
  const int padding = pixels(kPadding);
  const Uint32 wrap =
      static_cast<Uint32>(std::max(target->w - 4 * padding, pixels(kFontPixels) * 4));
  std::vector<SDL_Surface*> rendered;
  int width = 0, height = 2 * padding;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SDL_Surface* text = render(lines[i], i == 0 ? kFontPixels * 3 / 2 : kFontPixels, wrap);
    if (text == nullptr) continue;
    width = std::max(width, text->w);
    height += text->h;
    rendered.push_back(text);
  }
  SDL_Rect box{(target->w - width) / 2 - padding, (target->h - height) / 2, width + 2 * padding,
               height};
  SDL_FillRect(target, &box, SDL_MapRGB(target->format, kBox, kBox, kBox));
  int y = box.y + padding;
  for (SDL_Surface* text : rendered) {
    SDL_Rect at{(target->w - text->w) / 2, y, 0, 0};
    SDL_BlitSurface(text, nullptr, target, &at);
    y += text->h;
    SDL_FreeSurface(text);
  }
}

void TextBox::draw(SDL_Surface* target, const std::vector<std::string>& lines, Edge edge) {
  if (lines.empty() || !open()) return;
  // Each line wrapped at the window's width, so that a long message is read whole.
  const int padding = pixels(kPadding);
  const Uint32 wrap =
      static_cast<Uint32>(std::max(target->w - 2 * padding, pixels(kFontPixels) * 4));
  std::vector<SDL_Surface*> rendered;
  int height = 2 * padding;
  for (const std::string& line : lines) {
    SDL_Surface* text = render(line, kFontPixels, wrap);
    height += text != nullptr ? text->h : TTF_FontLineSkip(font_);
    rendered.push_back(text);
  }
  SDL_Rect box{0, edge == Edge::top ? 0 : target->h - height, target->w, height};
  SDL_FillRect(target, &box, SDL_MapRGB(target->format, kBox, kBox, kBox));
  int y = box.y + padding;
  for (SDL_Surface* text : rendered) {
    if (text == nullptr) {
      y += TTF_FontLineSkip(font_);
      continue;
    }
    SDL_Rect at{padding, y, 0, 0};
    SDL_BlitSurface(text, nullptr, target, &at);
    y += text->h;
    SDL_FreeSurface(text);
  }
}
