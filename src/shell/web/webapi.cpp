// The page's way into the viewer: a small C interface over one ViewerCore, called from
// viewer.js. Strings go in and out as UTF-8; a returned string stays valid until the next call.
//
// Each event returns what the page has to do, as bits:
//   1 repaint   2 caption changed (pm_caption)   4 quit   8 enter full screen   16 leave it
// and, when the event refused or warned about a file, pm_report() says "PATH: reason".

#include <emscripten/emscripten.h>

#include <cstring>
#include <new>
#include <string>

#include "browsersaver.h"
#include "memoryfiles.h"
#include "viewercore.h"
#include "webkeys.h"

namespace {

enum PageAction : int {
  kRepaint = 1,
  kCaption = 2,
  kQuit = 4,
  kEnterFullScreen = 8,
  kLeaveFullScreen = 16,
};

struct WebViewer {
  MemoryFiles files;
  BrowserSaver saver;
  ViewerCore core{"", files, saver};
  std::string caption = szAppname;
  std::string report;
  std::string text;                // the last string handed out
  std::vector<std::string> drop;   // the paths of the drop being made
  std::vector<std::uint8_t> rgba;  // the picture for the canvas, 4 bytes a pixel
  unsigned generation = 0;         // changes whenever the picture may have

  WebViewer() { core.onCreate(); }

  int apply(const Reaction& reaction, bool decoded) {
    if (decoded) ++generation;
    report = reaction.report;
    int actions = reaction.repaint ? kRepaint : 0;
    if (reaction.setCaption) caption = reaction.caption, actions |= kCaption | kRepaint;
    if (reaction.quit) actions |= kQuit;
    if (reaction.fullScreen) actions |= *reaction.fullScreen ? kEnterFullScreen : kLeaveFullScreen;
    if (!reaction.report.empty() || saver.pending() != nullptr) actions |= kRepaint;
    return actions;
  }

  const char* hand(std::string value) {
    text = validUtf8(value);
    return text.c_str();
  }
};

WebViewer& viewer() {
  static WebViewer instance;
  return instance;
}

}  // namespace

extern "C" {

// A drop begins: the files of the one before are forgotten.
EMSCRIPTEN_KEEPALIVE void pm_drop_begin() {
  viewer().files.clear();
  viewer().drop.clear();
}

// A file of the drop, at `path` ("name" or "folder/name"): returns where the page copies its
// `size` bytes, or null when the viewer will not hold it (refused as too large when shown).
EMSCRIPTEN_KEEPALIVE std::uint8_t* pm_drop_file(const char* path, double size) {
  return viewer().files.add(path, static_cast<std::int64_t>(size));
}

// The page could not read a file it announced: shown, it is refused as one that cannot be opened.
EMSCRIPTEN_KEEPALIVE void pm_drop_lost(const char* path) {
  viewer().files.remove(path);
}

// A file of the drop that the page scanned and found no picture in: `status` is how its scan
// (pm_scan) ended. Shown, it is refused for that reason, or as holding no picture.
EMSCRIPTEN_KEEPALIVE void pm_drop_refused(const char* path, int status) {
  const bool known = status > 0 && status < kDecodeStatusCount;
  viewer().files.refuse(path, known ? static_cast<DecodeStatus>(status) : DecodeStatus::noPicture);
}

EMSCRIPTEN_KEEPALIVE void pm_drop_folder(const char* path) {
  viewer().files.addFolder(path);
}

// An item the user dropped (a file or a folder already given above), in the drop's order.
EMSCRIPTEN_KEEPALIVE void pm_drop_item(const char* path) {
  viewer().drop.emplace_back(path);
}

// The drop is complete: its items become the list and the first is shown.
EMSCRIPTEN_KEEPALIVE int pm_drop_end() {
  WebViewer& v = viewer();
  return v.apply(v.core.onDrop(v.drop), true);
}

// A key, as KeyboardEvent.key and .code give it; modifiers as keytable.h has them. Returns -1
// for a key the viewer does not use, so that the browser may have it.
EMSCRIPTEN_KEEPALIVE int pm_key(const char* key, const char* code, int modifiers) {
  const int viewerKey = keyFromDom(key, code, (modifiers & kModCtrl) != 0);
  if (viewerKey == kKeyNone || findBinding(viewerKey, modifiers) == nullptr) return -1;
  WebViewer& v = viewer();
  return v.apply(v.core.onKey(viewerKey, modifiers), true);
}

// Ctrl + wheel: +1 zooms in, -1 out.
EMSCRIPTEN_KEEPALIVE int pm_zoom(int step) {
  return viewer().apply(viewer().core.run(ViewerCommand::zoom, step), false);
}

EMSCRIPTEN_KEEPALIVE int pm_drag(int dx, int dy) {
  return viewer().apply(viewer().core.onDrag(dx, dy), false);
}

// The canvas's size in its own pixels.
EMSCRIPTEN_KEEPALIVE int pm_resize(int width, int height) {
  return viewer().apply(viewer().core.onResize(width, height), false);
}

// The browser entered or left full screen by itself (Esc, the browser's own controls).
EMSCRIPTEN_KEEPALIVE int pm_full_screen_changed(int on) {
  if (viewer().core.fullScreen() == (on != 0)) return 0;
  viewer().core.fullScreenChanged(on != 0);
  return kRepaint;
}

EMSCRIPTEN_KEEPALIVE const char* pm_caption() {
  return viewer().hand(viewer().caption);
}

EMSCRIPTEN_KEEPALIVE const char* pm_report() {
  return viewer().hand(viewer().report);
}

EMSCRIPTEN_KEEPALIVE const char* pm_message() {
  return viewer().hand(viewer().core.message());
}

// Milliseconds until the message is due to go, -1 while none shows.
EMSCRIPTEN_KEEPALIVE int pm_message_due() {
  const auto deadline = viewer().core.messageDeadline();
  if (!deadline) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - ViewerCore::Clock::now());
  return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
}

// 1 (repaint) when the message has gone.
EMSCRIPTEN_KEEPALIVE int pm_expire() {
  return viewer().core.expireMessage(ViewerCore::Clock::now()) ? kRepaint : 0;
}

// What the empty page says until the first picture, one line per line (the first the larger);
// "" once a picture was shown. A page is given files by a drop or by its button, not by a command.
EMSCRIPTEN_KEEPALIVE const char* pm_hint() {
  const std::vector<std::string> hint = viewer().core.emptyHint();
  return viewer().hand(hint.empty() ? std::string()
                                    : hint[0] + "\nor open them with the button above");
}

// The info panel's lines, one per line; "" while it is off.
EMSCRIPTEN_KEEPALIVE const char* pm_panel() {
  std::string lines;
  for (const std::string& line : viewer().core.panelText())
    lines += (lines.empty() ? "" : "\n") + line;
  return viewer().hand(lines);
}

// Changes whenever the picture pm_picture gives may have changed.
EMSCRIPTEN_KEEPALIVE unsigned pm_generation() {
  return viewer().generation;
}

// Where to paint: `out` receives the picture's width and height, its source rectangle (x, y,
// width, height) and its destination rectangle on the canvas, and the scale. A picture shown
// smaller comes already averaged (pm_picture), so both rectangles are in its pixels. Returns 0
// while only grey is shown.
EMSCRIPTEN_KEEPALIVE int pm_view(int* out) {
  const PictureView view = viewer().core.view();
  const Layout& l = view.layout;
  const int values[] = {view.width,          view.height,          l.source.x,      l.source.y,
                        l.source.width,      l.source.height,      l.destination.x, l.destination.y,
                        l.destination.width, l.destination.height, l.scale};
  std::memcpy(out, values, sizeof values);
  return view.pixels != nullptr ? 1 : 0;
}

// The whole picture as red, green, blue, alpha rows, for an ImageData; null while none shows.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* pm_picture() {
  const PictureView view = viewer().core.view();
  if (view.pixels == nullptr) return nullptr;
  std::vector<std::uint8_t>& rgba = viewer().rgba;
  try {
    rgba.resize(static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height) * 4);
  } catch (const std::bad_alloc&) {
    return nullptr;  // more than the browser gives: grey only
  }
  std::uint8_t* to = rgba.data();
  const int red = view.bgr ? 2 : 0, blue = view.bgr ? 0 : 2;
  for (int y = 0; y < view.height; ++y) {
    const std::uint8_t* from = view.pixels + static_cast<std::size_t>(y) * view.pitch;
    for (int x = 0; x < view.width; ++x, from += 3, to += 4) {
      to[0] = from[red], to[1] = from[1], to[2] = from[blue], to[3] = 255;
    }
  }
  return rgba.data();
}

// A save waiting for the page: the picture as red, green, blue (pm_save_width x pm_save_height),
// null when none waits. pm_save_taken() once the page has it.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* pm_save_rgb() {
  const RgbImage* image = viewer().saver.pending();
  return image != nullptr ? image->rgb.data() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int pm_save_width() {
  const RgbImage* image = viewer().saver.pending();
  return image != nullptr ? image->width : 0;
}

EMSCRIPTEN_KEEPALIVE int pm_save_height() {
  const RgbImage* image = viewer().saver.pending();
  return image != nullptr ? image->height : 0;
}

EMSCRIPTEN_KEEPALIVE const char* pm_save_name() {
  return viewer().hand(viewer().saver.name());
}

EMSCRIPTEN_KEEPALIVE void pm_save_taken() {
  viewer().saver.taken();
}

}  // extern "C"
