#pragma once

struct SDL_Window;

// Gives the window the program's icon, which is built into the binary.
void setWindowIcon(SDL_Window* window);
