#pragma once

// Lines of text in a dark box over the picture, drawn with SDL2_ttf in DejaVu Sans (found
// through fontconfig). The font is opened at the first text to draw, so that a window that never
// shows text pays nothing for it.

#include <SDL.h>

#include <string>
#include <vector>

typedef struct _TTF_Font TTF_Font;

class TextBox {
 public:
  TextBox() = default;
  ~TextBox();
  TextBox(const TextBox&) = delete;
  TextBox& operator=(const TextBox&) = delete;

  // Text at the desktop's scale: 15 pixels tall at 96 dpi, 30 at 192.
  void setDpi(int dpi);

  enum class Edge { top, bottom };
  // A box across the whole width at `edge` of target, `lines` in it. Draws nothing when no font
  // can be had (the reason goes to standard error once).
  void draw(SDL_Surface* target, const std::vector<std::string>& lines, Edge edge);
  // `lines` centred in target, the first at one and a half times the size of the others.
  void drawCentred(SDL_Surface* target, const std::vector<std::string>& lines);

 private:
  bool open();
  int pixels(int size) const;
  SDL_Surface* render(const std::string& line, int size, Uint32 wrap);

  TTF_Font* font_ = nullptr;
  bool tried_ = false;
  int dpi_ = 96;
  int size_ = 0;  // the size the font is set to now
};
