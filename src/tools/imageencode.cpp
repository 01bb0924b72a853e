#include "imageencode.h"

#ifdef _WIN32
#include "wicpng.h"
#elif !defined(PELMORA_NO_PNG)
#include <spng.h>
#endif

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
struct SpngContextDeleter {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

std::vector<std::uint8_t> encodePng(const RgbImage& image, std::string& error) {
  std::unique_ptr<spng_ctx, SpngContextDeleter> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) {
    error = "out of memory";
    return {};
  }
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(image.width);
  ihdr.height = static_cast<std::uint32_t>(image.height);
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  int rc = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
  if (rc == 0) rc = spng_set_ihdr(ctx.get(), &ihdr);
  if (rc == 0) {
    rc = spng_encode_image(ctx.get(), image.rgb.data(), image.rgb.size(), SPNG_FMT_PNG,
                           SPNG_ENCODE_FINALIZE);
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
#endif

}  // namespace

std::vector<std::uint8_t> encodeImage(const RgbImage& image, ImageFormat format,
                                      std::string& error) {
  if (format == ImageFormat::ppm) return encodePpm(image);
  return encodePng(image, error);
}
