#include "imageencode.h"

#ifdef _WIN32
#include "wicpng.h"
#elif !defined(PELMORA_NO_PNG)
#include <spng.h>
#include <zlib.h>
#endif

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

namespace {

std::vector<std::uint8_t> encodePpm(const RgbImage& image) {
  const std::string header =
      "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
  std::vector<std::uint8_t> out(header.begin(), header.end());
  out.insert(out.end(), image.rgb.begin(), image.rgb.end());
  return out;
}

#ifdef _WIN32
std::vector<std::uint8_t> encodePng(const RgbImage& image, std::string& error) {
  return encodePngWithWic(image, error);  // the Windows Imaging Component
}
#elif defined(PELMORA_NO_PNG)
std::vector<std::uint8_t> encodePng(const RgbImage&, std::string& error) {
  error = "this build writes PPM only (no PNG library); name the output .ppm";
  return {};
}
#else
// A picture of at most 256 colours as PNG wants it: the palette and packed rows of indices.
struct IndexedImage {
  std::vector<std::uint8_t> palette;  // red, green, blue per entry
  int bits = 8;                       // 1, 2, 4 or 8 per pixel
  std::size_t stride = 0;             // bytes a row
  std::vector<std::uint8_t> rows;
};

// Colours to palette indices: an open-addressed table that never holds more than 257 keys.
class ColourIndex {
 public:
  // The colour's index, adding it if new; -1 once there would be more than 256.
  int find(std::uint32_t rgb) {
    std::uint32_t slot = (rgb * 2654435761u) >> (32 - kBits);
    while (true) {
      if (keys_[slot] == rgb + 1) return indices_[slot];
      if (keys_[slot] == 0) break;
      slot = (slot + 1) & (kSlots - 1);
    }
    if (count_ == 256) return -1;
    keys_[slot] = rgb + 1;
    indices_[slot] = static_cast<std::uint8_t>(count_);
    colours_[count_] = rgb;
    return count_++;
  }
  int count() const { return count_; }
  // The colour of an index below count().
  std::uint32_t colour(int index) const { return colours_[index]; }

 private:
  static constexpr int kBits = 10, kSlots = 1 << kBits;
  std::array<std::uint32_t, kSlots> keys_{};  // colour + 1; 0 is free
  std::array<std::uint8_t, kSlots> indices_{};
  std::array<std::uint32_t, 256> colours_{};
  int count_ = 0;
};

// The image indexed, or false when it has more than 256 colours.
bool indexColours(const RgbImage& image, IndexedImage& out) {
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  std::vector<std::uint8_t> indices(pixels);
  auto index = std::make_unique<ColourIndex>();
  const std::uint8_t* rgb = image.rgb.data();
  std::uint32_t last = 0xFFFFFFFF;  // runs of one colour skip the table
  int lastIndex = 0;
  for (std::size_t i = 0; i < pixels; ++i, rgb += 3) {
    const std::uint32_t colour = std::uint32_t{rgb[0]} << 16 | std::uint32_t{rgb[1]} << 8 | rgb[2];
    if (colour != last) {
      lastIndex = index->find(colour);
      if (lastIndex < 0) return false;
      last = colour;
    }
    indices[i] = static_cast<std::uint8_t>(lastIndex);
  }
  const int colours = index->count();
  out.bits = colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
  out.palette.clear();
  for (int i = 0; i < colours; ++i) {
    const std::uint32_t colour = index->colour(i);
    out.palette.insert(out.palette.end(),
                       {static_cast<std::uint8_t>(colour >> 16),
                        static_cast<std::uint8_t>(colour >> 8), static_cast<std::uint8_t>(colour)});
  }
  if (out.bits == 8) {
    out.stride = static_cast<std::size_t>(image.width);
    out.rows = std::move(indices);
    return true;
  }
  // Pixels packed from the high bits of each byte down, rows padded to whole bytes.
  out.stride = (static_cast<std::size_t>(image.width) * out.bits + 7) / 8;
  out.rows.assign(out.stride * image.height, 0);
  const int perByte = 8 / out.bits;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* from = &indices[static_cast<std::size_t>(y) * image.width];
    std::uint8_t* to = &out.rows[y * out.stride];
    for (int x = 0; x < image.width; ++x) {
      const int shift = 8 - out.bits * (x % perByte + 1);
      to[x / perByte] |= static_cast<std::uint8_t>(from[x] << shift);
    }
  }
  return true;
}

struct SpngContextDeleter {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

// How one encoding attempt compresses: the zlib level and strategy and the row filters tried.
struct PngPlan {
  int zlibLevel;
  int filters;  // SPNG_FILTER_CHOICE_* bits, or SPNG_DISABLE_FILTERING
  int strategy;
};

// Measured with bench/batch.sh on photographs, menu screens, icons and charts. DYUV photographs,
// which are coded as horizontal deltas, compress best with the Sub filter and Z_FILTERED; adaptive
// filtering costs time and, with zlib, bytes. Indexed pictures come out smallest unfiltered, at
// any zlib level; menu art dithered onto a palette repeats short patterns everywhere, which zlib 9
// chases through its longest hash chains: 3 times the processor time of zlib 4 for a tenth fewer
// bytes. The default level takes zlib 4 for them; every level up buys bytes with time.
PngPlan planFor(int level, bool indexed) {
  if (level == 0) return {0, SPNG_DISABLE_FILTERING, Z_DEFAULT_STRATEGY};
  if (indexed) return {std::min(level + 1, 9), SPNG_DISABLE_FILTERING, Z_DEFAULT_STRATEGY};
  return {level, SPNG_FILTER_CHOICE_SUB, Z_FILTERED};
}

// A first attempt that comes out under a sixteenth of its rows marks flat art (charts, icons,
// line drawings: long runs, few patterns), through which zlib 9 runs nearly as fast as zlib 4,
// with adaptive filters for RGB ones: a second attempt costs little there and keeps a third to a
// half of the bytes. Menu art and photographs, at a fifth of their rows or more, go without.
constexpr std::size_t kFlatArtShare = 16;
constexpr PngPlan kFlatIndexedPlan{9, SPNG_DISABLE_FILTERING, Z_DEFAULT_STRATEGY};
constexpr PngPlan kFlatRgbPlan{9, SPNG_FILTER_CHOICE_ALL, Z_FILTERED};

// One PNG of `rows` (already in PNG's row layout), or empty with `error` set.
std::vector<std::uint8_t> encodeRows(const spng_ihdr& ihdr, const spng_plte* plte,
                                     const std::vector<std::uint8_t>& rows, const PngPlan& plan,
                                     std::string& error) {
  std::unique_ptr<spng_ctx, SpngContextDeleter> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) {
    error = "out of memory";
    return {};
  }
  spng_ihdr header = ihdr;
  int rc = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
  if (rc == 0) rc = spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, plan.zlibLevel);
  if (rc == 0) rc = spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_STRATEGY, plan.strategy);
  if (rc == 0) rc = spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, plan.filters);
  if (rc == 0) rc = spng_set_ihdr(ctx.get(), &header);
  if (rc == 0 && plte != nullptr) {
    spng_plte copy = *plte;
    rc = spng_set_plte(ctx.get(), &copy);
  }
  if (rc == 0) {
    rc = spng_encode_image(ctx.get(), rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  }
  if (rc != 0) {
    error = std::string("cannot encode PNG: ") + spng_strerror(rc);
    return {};
  }
  std::size_t size = 0;
  void* png = spng_get_png_buffer(ctx.get(), &size, &rc);
  if (png == nullptr) {
    error = std::string("cannot encode PNG: ") + spng_strerror(rc);
    return {};
  }
  const auto* bytes = static_cast<const std::uint8_t*>(png);
  std::vector<std::uint8_t> out(bytes, bytes + size);
  std::free(png);  // the buffer is the caller's, allocated with malloc
  return out;
}

std::vector<std::uint8_t> encodePng(const RgbImage& image, int level, std::string& error) {
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(image.width);
  ihdr.height = static_cast<std::uint32_t>(image.height);
  IndexedImage indexed;
  const bool isIndexed = indexColours(image, indexed);
  spng_plte plte{};
  if (isIndexed) {
    ihdr.color_type = SPNG_COLOR_TYPE_INDEXED;
    ihdr.bit_depth = static_cast<std::uint8_t>(indexed.bits);
    plte.n_entries = static_cast<std::uint32_t>(indexed.palette.size() / 3);
    for (std::uint32_t i = 0; i < plte.n_entries; ++i) {
      plte.entries[i] = {indexed.palette[3 * i], indexed.palette[3 * i + 1],
                         indexed.palette[3 * i + 2], 0};
    }
  } else {
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    ihdr.bit_depth = 8;
  }
  const std::vector<std::uint8_t>& rows = isIndexed ? indexed.rows : image.rgb;
  const spng_plte* palette = isIndexed ? &plte : nullptr;
  if (level < kMaxPngLevel) {
    std::vector<std::uint8_t> png =
        encodeRows(ihdr, palette, rows, planFor(level, isIndexed), error);
    if (level == 0 || png.empty() || png.size() * kFlatArtShare > rows.size()) return png;
    std::string ignored;  // the first attempt stands when the second fails
    std::vector<std::uint8_t> smaller =
        encodeRows(ihdr, palette, rows, isIndexed ? kFlatIndexedPlan : kFlatRgbPlan, ignored);
    return !smaller.empty() && smaller.size() < png.size() ? smaller : png;
  }
  std::vector<std::uint8_t> best;
  for (const PngPlan plan : {PngPlan{9, SPNG_DISABLE_FILTERING, Z_DEFAULT_STRATEGY},
                             PngPlan{9, SPNG_FILTER_CHOICE_SUB, Z_DEFAULT_STRATEGY},
                             PngPlan{9, SPNG_FILTER_CHOICE_SUB, Z_FILTERED},
                             PngPlan{9, SPNG_FILTER_CHOICE_UP, Z_FILTERED},
                             PngPlan{9, SPNG_FILTER_CHOICE_PAETH, Z_FILTERED},
                             PngPlan{9, SPNG_FILTER_CHOICE_ALL, Z_FILTERED}}) {
    std::vector<std::uint8_t> png = encodeRows(ihdr, palette, rows, plan, error);
    if (png.empty()) return {};
    if (best.empty() || png.size() < best.size()) best = std::move(png);
  }
  return best;
}
#endif

}  // namespace

std::vector<std::uint8_t> encodeImage(const RgbImage& image, ImageFormat format, std::string& error,
                                      int pngLevel) {
  if (format == ImageFormat::ppm) return encodePpm(image);
#if defined(_WIN32) || defined(PELMORA_NO_PNG)
  (void)pngLevel;  // the build has one way to write PNG
  return encodePng(image, error);
#else
  return encodePng(image, pngLevel, error);
#endif
}
