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

  enum class Edge { top, bottom };
  // A box across the whole width at `edge` of target, `lines` in it. Draws nothing when no font
  // can be had (the reason goes to standard error once).
  void draw(SDL_Surface* target, const std::vector<std::string>& lines, Edge edge);

 private:
  bool open();

  TTF_Font* font_ = nullptr;
  bool tried_ = false;
};
