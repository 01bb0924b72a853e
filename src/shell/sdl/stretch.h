#pragma once

#include <SDL.h>

// Draws `source` into `target` enlarged `scale` times with nearest neighbour (every source pixel
// becomes a scale x scale block), its top-left at (x, y), clipped to the target. Both surfaces
// have the same format.
void stretchNearest(SDL_Surface* source, SDL_Surface* target, int x, int y, int scale);
