// Every file of the fuzz folders through the gdk-pixbuf loader, fed in pieces as gdk-pixbuf
// feeds it: each gives a picture or an error with a reason, never both, never a crash. The
// sanitize build runs it under AddressSanitizer. A fuzz input is a selector byte, then the file.
// usage: pixbuf_corpus LOADER FOLDER...

#define GDK_PIXBUF_ENABLE_BACKEND
#include <dlfcn.h>
#include <gdk-pixbuf/gdk-pixbuf-io.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

void prepared(GdkPixbuf* pixbuf, GdkPixbufAnimation*, gpointer result) {
  *static_cast<GdkPixbuf**>(result) = GDK_PIXBUF(g_object_ref(pixbuf));
}
void updated(GdkPixbuf*, int, int, int, int, gpointer) {}
void sized(int*, int*, gpointer) {}

enum class Outcome { picture, refused, fault };

// Loads one file; `fault` says what went wrong when the outcome is a fault.
Outcome load(const GdkPixbufModule& module, const std::vector<guchar>& file, const char*& fault) {
  GdkPixbuf* pixbuf = nullptr;
  GError* error = nullptr;
  gpointer context = module.begin_load(sized, prepared, updated, &pixbuf, &error);
  bool ok = context != nullptr;
  constexpr std::size_t kPiece = 4096;
  for (std::size_t at = 0; ok && at < file.size(); at += kPiece) {
    const auto size = static_cast<guint>(std::min(kPiece, file.size() - at));
    ok = module.load_increment(context, file.data() + at, size, &error);
  }
  if (context != nullptr) ok = module.stop_load(context, ok ? &error : nullptr) && ok;
  const bool picture =
      pixbuf != nullptr && gdk_pixbuf_get_width(pixbuf) > 0 && gdk_pixbuf_get_height(pixbuf) > 0;
  const bool reason = error != nullptr && error->message[0] != '\0';
  Outcome outcome = Outcome::fault;
  if (ok && picture && error == nullptr) outcome = Outcome::picture;
  if (!ok && reason && pixbuf == nullptr) outcome = Outcome::refused;
  fault = ok ? "no picture, or an error as well" : "no reason, or a picture as well";
  if (pixbuf != nullptr) g_object_unref(pixbuf);
  g_clear_error(&error);
  return outcome;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  auto* fill = library ? reinterpret_cast<void (*)(GdkPixbufModule*)>(dlsym(library, "fill_vtable"))
                       : nullptr;
  if (fill == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    return 1;
  }
  GdkPixbufModule module{};
  fill(&module);
  int counts[3] = {};  // by Outcome
  for (int i = 2; i < argc; ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      std::ifstream in(entry.path(), std::ios::binary);
      in.ignore(1);  // the selector
      const std::vector<guchar> file{std::istreambuf_iterator<char>(in), {}};
      const char* fault = "";
      const Outcome outcome = load(module, file, fault);
      if (outcome == Outcome::fault) std::printf("FAILED: %s: %s\n", entry.path().c_str(), fault);
      ++counts[static_cast<int>(outcome)];
    }
  }
  std::printf("%d pictures, %d refused with a reason, %d faults\n", counts[0], counts[1],
              counts[2]);
  return counts[2] == 0 ? 0 : 1;
}
