// A gdk-pixbuf loader for CD-i IFF pictures, so that every GTK program, image viewers and the
// file managers' thumbnailer (gdk-pixbuf-thumbnailer) open them. It shows the first picture of
// a file at its own size, decoded in the accurate profile, as `imag2png --accurate` writes it.
//
// gdk-pixbuf hands the file over in pieces (begin_load, load_increment, stop_load); the pieces
// are gathered into one copy, which is decoded whole when the last one has come.

#include <gdk-pixbuf/gdk-pixbuf-io.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "accurateimage.h"
#include "decode.h"

namespace {

struct Load {
  GdkPixbufModuleSizeFunc sizeFunc;
  GdkPixbufModulePreparedFunc preparedFunc;
  GdkPixbufModuleUpdatedFunc updatedFunc;
  gpointer userData;
  std::vector<std::uint8_t> file;
};

void fail(GError** error, GdkPixbufError code, const char* reason) {
  g_set_error_literal(error, GDK_PIXBUF_ERROR, code, reason);
}

void fail(GError** error, DecodeStatus status) {
  GdkPixbufError code = GDK_PIXBUF_ERROR_CORRUPT_IMAGE;
  if (status == DecodeStatus::outOfMemory) code = GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY;
  if (status == DecodeStatus::tooShort || status == DecodeStatus::notCdiImage) {
    code = GDK_PIXBUF_ERROR_UNKNOWN_TYPE;
  }
  fail(error, code, decodeStatusText(status));
}

void freePixels(guchar*, gpointer pixels) {
  delete static_cast<std::vector<std::uint8_t>*>(pixels);
}

gpointer beginLoad(GdkPixbufModuleSizeFunc sizeFunc, GdkPixbufModulePreparedFunc preparedFunc,
                   GdkPixbufModuleUpdatedFunc updatedFunc, gpointer userData, GError** error) {
  Load* load = new (std::nothrow) Load{sizeFunc, preparedFunc, updatedFunc, userData, {}};
  if (load == nullptr) fail(error, DecodeStatus::outOfMemory);
  return load;
}

gboolean loadIncrement(gpointer context, const guchar* bytes, guint size, GError** error) {
  auto* load = static_cast<Load*>(context);
  // The same limit as a file read by the converter or the viewer.
  if (static_cast<std::int64_t>(size) >
      kMaxFileBytes - static_cast<std::int64_t>(load->file.size())) {
    fail(error, DecodeStatus::tooLarge);
    return FALSE;
  }
  try {
    load->file.insert(load->file.end(), bytes, bytes + size);
  } catch (const std::bad_alloc&) {
    fail(error, DecodeStatus::outOfMemory);
    return FALSE;
  }
  return TRUE;
}

// Decodes the gathered file and hands the picture to gdk-pixbuf, which from then on owns its
// pixels. Returns FALSE with `error` set when the file is refused.
gboolean decodeGathered(Load& load, GError** error) {
  RgbImage image;
  bool complete = false;  // a picture whose data ends early is shown, black where it is missing
  const DecodeStatus status = accurateImage(load.file, AccurateConversion{}, image, complete);
  std::vector<std::uint8_t>().swap(load.file);  // not needed any more: a large file is let go
  if (status != DecodeStatus::ok) {
    fail(error, status);
    return FALSE;
  }
  int width = image.width, height = image.height;
  if (load.sizeFunc != nullptr) {
    load.sizeFunc(&width, &height, load.userData);
    if (width <= 0 || height <= 0) return TRUE;  // the caller wanted only the size
  }
  auto* pixels = new std::vector<std::uint8_t>(std::move(image.rgb));
  GdkPixbuf* pixbuf =
      gdk_pixbuf_new_from_data(pixels->data(), GDK_COLORSPACE_RGB, FALSE, 8, image.width,
                               image.height, image.width * 3, freePixels, pixels);
  if (load.preparedFunc != nullptr) load.preparedFunc(pixbuf, nullptr, load.userData);
  if (load.updatedFunc != nullptr) {
    load.updatedFunc(pixbuf, 0, 0, image.width, image.height, load.userData);
  }
  g_object_unref(pixbuf);  // the loader holds its own reference
  return TRUE;
}

gboolean stopLoad(gpointer context, GError** error) {
  auto* load = static_cast<Load*>(context);
  gboolean ok = FALSE;
  try {
    ok = decodeGathered(*load, error);
  } catch (const std::bad_alloc&) {
    fail(error, DecodeStatus::outOfMemory);
  }
  delete load;
  return ok;
}

}  // namespace

extern "C" {

G_MODULE_EXPORT void fill_vtable(GdkPixbufModule* module) {
  module->begin_load = beginLoad;
  module->stop_load = stopLoad;
  module->load_increment = loadIncrement;
}

G_MODULE_EXPORT void fill_info(GdkPixbufFormat* info) {
  // ' ' must match, 'x' is any byte: the container's length stands between the two words.
  static GdkPixbufModulePattern signature[] = {
      {const_cast<gchar*>("FORMxxxxIMAG"), const_cast<gchar*>("    xxxx    "), 100},
      {const_cast<gchar*>("CAT xxxxIMAG"), const_cast<gchar*>("    xxxx    "), 100},
      {nullptr, nullptr, 0},
  };
  static const gchar* mimeTypes[] = {"image/x-cdi-imag", nullptr};
  static const gchar* extensions[] = {"imag", "iff", nullptr};
  info->name = const_cast<gchar*>("cdi-imag");
  info->signature = signature;
  info->description = const_cast<gchar*>("CD-i IFF picture");
  info->mime_types = const_cast<gchar**>(mimeTypes);
  info->extensions = const_cast<gchar**>(extensions);
  info->flags = GDK_PIXBUF_FORMAT_THREADSAFE;
  info->license = const_cast<gchar*>("MIT");
}

}  // extern "C"
