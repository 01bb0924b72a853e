#pragma once

// Where the shells draw an accurate-profile picture: at the top-left of the client area, at its
// own size, or scaled down (never up) to fit the area with its proportions kept.

struct ViewSize {
  int width = 0;
  int height = 0;
};

// The size to draw a width x height picture at in an area of areaWidth x areaHeight. At least
// 1 x 1 for a picture with pixels, 0 x 0 for one without or an empty area.
ViewSize fitWithin(int width, int height, int areaWidth, int areaHeight);
