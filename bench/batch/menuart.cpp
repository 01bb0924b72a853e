#include "menuart.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "testchart.h"

namespace {

constexpr int kWidth = 384, kHeight = 280;

struct Rect {
  int x, y, width, height;
};

class Painter {
 public:
  Painter(PalettePicture& picture, std::mt19937& random) : picture_(picture), random_(random) {}

  // Appends `count` entries from `from` to `to`; returns the index of the first.
  int ramp(Rgb from, Rgb to, int count) {
    const int first = static_cast<int>(picture_.palette.size());
    for (int i = 0; i < count; ++i) {
      const double t = count > 1 ? static_cast<double>(i) / (count - 1) : 0;
      auto mix = [t](int a, int b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
      };
      picture_.palette.push_back({mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b)});
    }
    return first;
  }

  Rgb colour(int low = 0, int high = 255) {
    std::uniform_int_distribution<int> level(low, high);
    return {static_cast<std::uint8_t>(level(random_)), static_cast<std::uint8_t>(level(random_)),
            static_cast<std::uint8_t>(level(random_))};
  }

  void set(int x, int y, int index) {
    if (x >= 0 && y >= 0 && x < picture_.indices.width && y < picture_.indices.height)
      picture_.indices.indices[static_cast<std::size_t>(y) * picture_.indices.width + x] =
          static_cast<std::uint8_t>(index);
  }

  // A gradient over the rectangle onto the ramp first .. first + count - 1: the ramp's start at
  // the top-left corner, moving on by dx a pixel to the right and dy a pixel down (1: its end).
  void gradient(Rect r, int first, int count, Dither dither, double dx, double dy) {
    static constexpr int kBayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::vector<double> error(static_cast<std::size_t>(r.width) + 2), below(error.size());
    for (int y = 0; y < r.height; ++y) {
      std::fill(below.begin(), below.end(), 0.0);
      for (int x = 0; x < r.width; ++x) {
        const double t = std::clamp(x * dx + y * dy, 0.0, 1.0) * (count - 1);
        int step;
        if (dither == Dither::ordered) {
          step = static_cast<int>(std::floor(t + (kBayer[y & 3][x & 3] + 0.5) / 16));
        } else {  // Floyd-Steinberg along the ramp
          const double want = t + error[x + 1];
          step = static_cast<int>(std::lround(want));
          step = std::clamp(step, 0, count - 1);
          const double e = want - step;
          error[x + 2] += e * 7 / 16, below[x] += e * 3 / 16, below[x + 1] += e * 5 / 16,
              below[x + 2] += e / 16;
        }
        set(r.x + x, r.y + y, first + std::clamp(step, 0, count - 1));
      }
      std::swap(error, below);
    }
  }

  // Where `coverage` (0 to 1, anti-aliased) is above zero, the ramp entry for it.
  template <class Coverage>
  void shape(Rect r, int first, int count, Coverage coverage) {
    for (int y = r.y; y < r.y + r.height; ++y) {
      for (int x = r.x; x < r.x + r.width; ++x) {
        const double c = coverage(x + 0.5, y + 0.5);
        if (c > 0.02) set(x, y, first + static_cast<int>(std::lround(c * (count - 1))));
      }
    }
  }

  // A caption of `letters` made-up glyphs of strokes 1.5 pixels wide, 9 x 13 pixels each.
  void caption(int x, int y, int letters, int first, int count) {
    struct Stroke {
      double x0, y0, x1, y1;
    };
    std::vector<Stroke> strokes;
    std::uniform_int_distribution<int> corner(0, 8);
    for (int letter = 0; letter < letters; ++letter) {
      const double left = x + letter * 9.0;
      for (int s = 0, n = 2 + static_cast<int>(random_() % 3); s < n; ++s) {
        const int a = corner(random_), b = corner(random_);
        strokes.push_back({left + 1 + a % 3 * 3.2, y + 1 + a / 3 * 5.2, left + 1 + b % 3 * 3.2,
                           y + 1 + b / 3 * 5.2});
      }
    }
    shape({x - 1, y - 1, letters * 9 + 2, 15}, first, count, [&](double px, double py) {
      double nearest = 9;
      for (const Stroke& s : strokes) {
        const double vx = s.x1 - s.x0, vy = s.y1 - s.y0, length2 = vx * vx + vy * vy;
        const double t =
            length2 > 0 ? std::clamp(((px - s.x0) * vx + (py - s.y0) * vy) / length2, 0.0, 1.0) : 0;
        nearest = std::min(nearest, std::hypot(px - s.x0 - t * vx, py - s.y0 - t * vy));
      }
      return std::clamp(1.25 - nearest, 0.0, 1.0);
    });
  }

  // A photograph dithered onto the 4 x 4 x 4 cube at `cube`, in a bevelled frame.
  void framedPhotograph(Rect r, int cube, int light, int dark) {
    for (int i = 0; i < 3; ++i) {
      for (int x = r.x - i - 1; x <= r.x + r.width + i; ++x)
        set(x, r.y - i - 1, light), set(x, r.y + r.height + i, dark);
      for (int y = r.y - i - 1; y <= r.y + r.height + i; ++y)
        set(r.x - i - 1, y, light), set(r.x + r.width + i, y, dark);
    }
    const RgbPicture photo = photograph(r.width, r.height, 4);
    std::vector<double> error(static_cast<std::size_t>(r.width + 2) * 3), below(error.size());
    for (int y = 0; y < r.height; ++y) {
      std::fill(below.begin(), below.end(), 0.0);
      for (int x = 0; x < r.width; ++x) {
        const Rgb& c = photo.at(x, y);
        int index = 0;
        for (int channel = 0; channel < 3; ++channel) {
          const int have = channel == 0 ? c.r : channel == 1 ? c.g : c.b;
          const double want = have + error[(x + 1) * 3 + channel];
          const int level = std::clamp(static_cast<int>(std::lround(want / 85)), 0, 3);
          const double e = want - level * 85;
          error[(x + 2) * 3 + channel] += e * 7 / 16, below[x * 3 + channel] += e * 3 / 16,
              below[(x + 1) * 3 + channel] += e * 5 / 16, below[(x + 2) * 3 + channel] += e / 16;
          index = index * 4 + level;
        }
        set(r.x + x, r.y + y, cube + index);
      }
      std::swap(error, below);
    }
  }

  std::mt19937& random() { return random_; }

 private:
  PalettePicture& picture_;
  std::mt19937& random_;
};

PalettePicture blank(int width, int height) {
  PalettePicture picture;
  picture.indices = {width, height,
                     std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
  return picture;
}

}  // namespace

PalettePicture menuScreen(std::uint32_t seed, Dither dither, bool photograph, int entries) {
  std::mt19937 random(seed);
  PalettePicture picture = blank(kWidth, kHeight);
  Painter paint(picture, random);
  const int cube = 0;  // with a photograph, the palette starts with its colour cube
  if (photograph) {
    for (int i = 0; i < 64; ++i)
      picture.palette.push_back({static_cast<std::uint8_t>(i / 16 * 85),
                                 static_cast<std::uint8_t>(i / 4 % 4 * 85),
                                 static_cast<std::uint8_t>(i % 4 * 85)});
  }
  const int light = paint.ramp({235, 235, 225}, {150, 150, 150}, 2);
  const int dark = paint.ramp({60, 60, 70}, {10, 10, 10}, 2);
  const Rgb buttonLight = paint.colour(120, 255), buttonDark = paint.colour(0, 110);
  const int button = paint.ramp(buttonLight, buttonDark, 16);
  const int text = paint.ramp(buttonDark, paint.colour(200, 255), 8);
  const Rgb backTop = paint.colour(0, 120), backBottom = paint.colour(100, 255);
  const int line = paint.ramp(backTop, paint.colour(180, 255), 6);
  const int backdropEntries = std::max(entries - static_cast<int>(picture.palette.size()), 8);
  const int backdrop = paint.ramp(backTop, backBottom, backdropEntries);

  paint.gradient({0, 0, kWidth, kHeight}, backdrop, backdropEntries, dither, 0.3 / kWidth,
                 0.7 / kHeight);
  // Line art: rings and rays over the backdrop.
  const double cx = 60 + random() % 260, cy = 40 + random() % 200;
  paint.shape({0, 0, kWidth, kHeight}, line, 6, [&](double x, double y) {
    const double r = std::hypot(x - cx, y - cy);
    const double ring = std::abs(std::fmod(r, 36.0) - 18);
    const double ray = std::abs(std::fmod(std::atan2(y - cy, x - cx) * 3.0 + 10, 1.0) - 0.5) * r;
    return std::clamp(1.0 - std::min(ring, ray * 0.9), 0.0, 1.0);
  });
  const int buttons = 3 + static_cast<int>(random() % 3);
  const int left = photograph ? 200 : 40 + static_cast<int>(random() % 100);
  for (int b = 0; b < buttons; ++b) {
    const Rect r{left, 30 + b * (220 / buttons), 150, 36};
    paint.gradient(r, button, 16, Dither::ordered, 0, 1.0 / r.height);
    paint.caption(r.x + 12, r.y + 11, 6 + static_cast<int>(random() % 8), text, 8);
  }
  if (photograph) paint.framedPhotograph({24, 40, 150, 110}, cube, light, dark);
  paint.caption(16, 250, 30, text, 8);
  return picture;
}

PalettePicture icon(std::uint32_t seed, int size) {
  std::mt19937 random(seed);
  PalettePicture picture = blank(size, size);
  Painter paint(picture, random);
  paint.ramp({192, 192, 192}, {192, 192, 192}, 1);  // entry 0, the background blank() left
  const int outline = paint.ramp({0, 0, 0}, {0, 0, 0}, 1);
  const int highlight = paint.ramp({255, 255, 255}, {255, 255, 255}, 1);
  const int shade = paint.ramp(paint.colour(150, 255), paint.colour(0, 90), 13);
  const bool disc = random() % 2 == 0;
  const double middle = size / 2.0, radius = size * 0.4;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = x + 0.5 - middle, dy = y + 0.5 - middle;
      const double edge =
          disc ? std::hypot(dx, dy) - radius : std::max(std::abs(dx), std::abs(dy)) - radius;
      if (edge > 0.5) continue;
      const bool shine = std::hypot(dx + size * 0.15, dy + size * 0.15) < size * 0.08;
      const int step = std::clamp((x + y) * 13 / (2 * size), 0, 12);
      paint.set(x, y, edge > -1 ? outline : shine ? highlight : shade + step);
    }
  }
  return picture;
}
