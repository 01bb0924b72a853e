#pragma once

// A PNG or binary PPM that a program wrote, read back as red, green, blue rows.

#include <spng.h>

#include <sstream>

#include "support/tempdir.h"

struct PictureFile {
  int width = 0, height = 0;
  int colourType = -1, bitDepth = 0;  // of a PNG
  Bytes rgb;                          // empty when the file is neither
};

inline PictureFile readPicture(const std::filesystem::path& path) {
  const Bytes file = readFile(path);
  PictureFile picture;
  if (file.size() > 2 && file[0] == 'P' && file[1] == '6') {
    std::istringstream in(std::string(file.begin(), file.end()));
    std::string magic;
    int maxval = 0;
    in >> magic >> picture.width >> picture.height >> maxval;
    in.get();  // the one blank after maxval
    if (maxval == 255) picture.rgb.assign(std::istreambuf_iterator<char>(in), {});
    return picture;
  }
  spng_ctx* ctx = spng_ctx_new(0);
  spng_set_png_buffer(ctx, file.data(), file.size());
  spng_ihdr ihdr{};
  std::size_t size = 0;
  if (spng_get_ihdr(ctx, &ihdr) == 0 && spng_decoded_image_size(ctx, SPNG_FMT_RGB8, &size) == 0) {
    picture.rgb.resize(size);
    if (spng_decode_image(ctx, picture.rgb.data(), size, SPNG_FMT_RGB8, 0) != 0)
      picture.rgb.clear();
    picture.width = static_cast<int>(ihdr.width), picture.height = static_cast<int>(ihdr.height);
    picture.colourType = ihdr.color_type, picture.bitDepth = ihdr.bit_depth;
  }
  spng_ctx_free(ctx);
  return picture;
}
