#include "pngread.h"

#include <spng.h>

#include <memory>

#include "accurate.h"  // kAccurateMaxPixels: the largest picture the decoding takes back
#include "filecopy.h"

namespace {

constexpr std::int64_t kLargestPngBytes = std::int64_t{256} << 20;

struct ContextFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

}  // namespace

std::string readPng(const std::string& path, PngPicture& out) {
  FileCopy file;
  const DecodeStatus status = readFileCopy(path.c_str(), kLargestPngBytes, file);
  if (status == DecodeStatus::tooLarge) return "the file is over 256 MiB";
  if (status != DecodeStatus::ok) return decodeStatusText(status);

  const std::unique_ptr<spng_ctx, ContextFree> ctx(spng_ctx_new(0));
  if (!ctx) return "out of memory";
  spng_set_png_buffer(ctx.get(), file.bytes.get(), static_cast<std::size_t>(file.size));
  spng_ihdr ihdr{};
  if (const int error = spng_get_ihdr(ctx.get(), &ihdr)) {
    return std::string("not a PNG image: ") + spng_strerror(error);
  }
  // Divide before multiplying: width x height may not fit 32 bits.
  if (ihdr.width > kAccurateMaxPixels / ihdr.height) {
    return "the picture has more than 64 Mpixels";
  }
  std::size_t size = 0;
  std::vector<std::uint8_t> rgb;
  int error = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGB8, &size);
  if (error == 0) {
    rgb.resize(size);
    error = spng_decode_image(ctx.get(), rgb.data(), size, SPNG_FMT_RGB8, 0);
  }
  if (error != 0) return std::string("cannot decode the PNG image: ") + spng_strerror(error);

  out = PngPicture{};
  out.indexed = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
  spng_plte plte{};
  if (out.indexed && spng_get_plte(ctx.get(), &plte) == 0) {
    for (std::uint32_t i = 0; i < plte.n_entries; ++i)
      out.palette.push_back({plte.entries[i].red, plte.entries[i].green, plte.entries[i].blue});
  }
  out.picture.width = static_cast<int>(ihdr.width);
  out.picture.height = static_cast<int>(ihdr.height);
  out.picture.pixels.reserve(size / 3);
  for (std::size_t i = 0; i + 2 < size; i += 3)
    out.picture.pixels.push_back({rgb[i], rgb[i + 1], rgb[i + 2]});
  return "";
}
