// The viewer as a user meets it: time from starting the process to the decoded frame on screen,
// from a key press to the next picture on screen (in a window, and full screen at 3840 x 2160),
// the process's peak memory with the info panel shown, and the CPU it uses while idle.
//
// Runs on the X server in DISPLAY; the full-screen case wants a 3840 x 2160 screen (one line):
//   DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent xvfb-run -a -s "-noreset -screen 0
//   3840x2160x24" build/bench/viewer/viewer_startup_bench
// With GDK_SCALE=2 in the environment the viewer takes a 192-dpi desktop: everything twice as
// large, the probes below look where it then draws.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "decode.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Screen pixels per desktop unit, as the viewer reads GDK_SCALE.
int unitScale() {
  const char* scale = std::getenv("GDK_SCALE");
  const int unit = scale != nullptr ? std::atoi(scale) : 1;
  return unit >= 1 && unit <= 4 ? unit : 1;
}

int ignoreXErrors(Display*, XErrorEvent*) {
  return 0;
}  // windows come and go while we look

struct Rgb {
  unsigned r, g, b;
  bool operator==(const Rgb&) const = default;
};

// The top-left pixel of the frame the viewer must show for the sample.
Rgb expectedTopLeft() {
  std::ifstream in(PELMORA_SAMPLE, std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  static std::array<std::uint8_t, kFrameBytes> frame;
  decodeImageMemory(file, frame, 220);
  return {frame[2], frame[1], frame[0]};
}

std::string windowName(Display* display, Window window) {
  const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
  Atom type;
  int format;
  unsigned long count = 0, after;
  unsigned char* data = nullptr;
  std::string result;
  if (XGetWindowProperty(display, window, name, 0, 4096, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) == Success &&
      data != nullptr && format == 8) {
    result.assign(reinterpret_cast<char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  return result;
}

// The top-level window captioned `caption`, or None.
Window findWindow(Display* display, const std::string& caption) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    return None;
  }
  Window found = None;
  for (unsigned i = 0; i < count && found == None; ++i) {
    if (windowName(display, children[i]) == caption) found = children[i];
  }
  if (children != nullptr) XFree(children);
  return found;
}

// The pixel at (x, y) of the window, or nothing when it cannot be read (not yet mapped).
std::optional<Rgb> pixelAt(Display* display, Window window, int x, int y) {
  XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return std::nullopt;
  const unsigned long p = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return Rgb{unsigned(p >> 16 & 0xFF), unsigned(p >> 8 & 0xFF), unsigned(p & 0xFF)};
}

// True once a top-level window captioned `caption` shows `pixel` at its top-left.
bool frameShown(Display* display, const std::string& caption, Rgb pixel) {
  const Window window = findWindow(display, caption);
  return window != None && pixelAt(display, window, 0, 0) == pixel;
}

long cpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {  // field 3 is the state; 14 and 15 are the times
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

void BM_FirstFrame(benchmark::State& state) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    state.SkipWithError("no X server: set DISPLAY (xvfb-run -a ...)");
    return;
  }
  XSetErrorHandler(ignoreXErrors);
  const Rgb pixel = expectedTopLeft();
  double peakMiB = 0, idleTicks = 0;
  for (auto _ : state) {
    char* argv[] = {const_cast<char*>(PELMORA_DRAGNDROP), const_cast<char*>(PELMORA_SAMPLE),
                    nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start dragndrop");
      break;
    }
    bool shown = false;
    while (!shown && Clock::now() - start < std::chrono::seconds(5)) {
      shown = frameShown(display, PELMORA_SAMPLE, pixel);
    }
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    state.SetIterationTime(elapsed.count());

    const long before = cpuTicks(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    idleTicks += static_cast<double>(cpuTicks(pid) - before);

    kill(pid, SIGTERM);  // SDL turns it into a quit event: the viewer closes normally
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    peakMiB = std::max(peakMiB, static_cast<double>(usage.ru_maxrss) / 1024.0);
    if (!shown) {
      state.SkipWithError("the frame did not appear within 5 s");
      break;
    }
  }
  state.counters["peak_rss_MiB"] = peakMiB;
  state.counters["idle_ticks_per_500ms"] =
      benchmark::Counter(idleTicks, benchmark::Counter::kAvgIterations);
  XCloseDisplay(display);
}

BENCHMARK(BM_FirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The classic frame of `path`, as the viewer shows it (blue, green, red).
std::vector<std::uint8_t> frameOf(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  std::vector<std::uint8_t> frame(kFrameBytes);
  decodeImageMemory(file, std::span<std::uint8_t, kFrameBytes>(frame.data(), kFrameBytes), 220);
  return frame;
}

// A key press and release, sent to the window as the X server would deliver them.
void pressKey(Display* display, Window window, KeySym keysym) {
  XEvent event{};
  event.xkey.display = display;
  event.xkey.window = window;
  event.xkey.root = DefaultRootWindow(display);
  event.xkey.time = CurrentTime;
  event.xkey.same_screen = True;
  event.xkey.keycode = XKeysymToKeycode(display, keysym);
  for (const int type : {KeyPress, KeyRelease}) {
    event.xkey.type = type;
    XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
  }
  XFlush(display);
}

template <typename Probe>
bool waitFor(Probe probe, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  const auto start = Clock::now();
  while (Clock::now() - start < limit) {
    if (probe()) return true;
  }
  return false;
}

// One viewer process on its own, for the benchmarks below.
struct Viewer {
  pid_t pid = 0;

  explicit Viewer(std::vector<std::string> args) {
    std::vector<char*> argv{const_cast<char*>(PELMORA_DRAGNDROP)};
    for (std::string& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid = 0;
  }
  // Ends it; its peak resident memory in MiB.
  double stop() {
    if (pid == 0) return 0;
    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    pid = 0;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
  }
  ~Viewer() { stop(); }
};

// A pixel of the frame where two pictures differ, and its colour in each.
struct Difference {
  int x = 0, y = 0;
  Rgb first, second;
};
Difference differenceOf(const char* a, const char* b) {
  const std::vector<std::uint8_t> one = frameOf(a), two = frameOf(b);
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
      const std::size_t at = y * kFramePitch + x * 3;
      const Rgb p{one[at + 2], one[at + 1], one[at]}, q{two[at + 2], two[at + 1], two[at]};
      if (!(p == q)) return {x, y, p, q};
    }
  }
  return {};
}

// From a key press to the next picture on screen: `n` to the second of two files, timed, and
// `p` back, not timed. With `fullScreen`, on the whole screen at the largest whole scale.
void keyToPicture(benchmark::State& state, bool fullScreen) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    state.SkipWithError("no X server: set DISPLAY (xvfb-run -a ...)");
    return;
  }
  XSetErrorHandler(ignoreXErrors);
  const int screenWidth = DisplayWidth(display, DefaultScreen(display));
  const int screenHeight = DisplayHeight(display, DefaultScreen(display));
  if (fullScreen && (screenWidth < 3840 || screenHeight < 2160)) {
    state.SkipWithError("needs a 3840x2160 screen: xvfb-run -s \"-screen 0 3840x2160x24\"");
    XCloseDisplay(display);
    return;
  }
  const Difference difference = differenceOf(PELMORA_SAMPLE, PELMORA_SECOND_SAMPLE);
  int x = difference.x, y = difference.y;
  if (fullScreen) {  // where the fitted frame puts that pixel: its middle
    const int scale =
        std::min({screenWidth / kFrameWidth, screenHeight / kFrameHeight, 16 * unitScale()});
    x = (screenWidth - kFrameWidth * scale) / 2 + x * scale + scale / 2;
    y = (screenHeight - kFrameHeight * scale) / 2 + y * scale + scale / 2;
  } else {  // the middle of that picture pixel
    x = x * unitScale() + unitScale() / 2, y = y * unitScale() + unitScale() / 2;
  }
  std::vector<std::string> args{PELMORA_SAMPLE, PELMORA_SECOND_SAMPLE};
  if (fullScreen) args.insert(args.begin(), "--fullscreen");
  Viewer viewer(args);
  Window window = None;
  const bool started = waitFor([&] {
    window = findWindow(display, PELMORA_SAMPLE);
    return window != None && pixelAt(display, window, x, y) == difference.first;
  });
  if (!started) {
    state.SkipWithError("the first picture did not appear within 5 s");
    XCloseDisplay(display);
    return;
  }
  for (auto _ : state) {
    const auto start = Clock::now();
    pressKey(display, window, XK_n);
    if (!waitFor([&] { return pixelAt(display, window, x, y) == difference.second; })) {
      state.SkipWithError("the next picture did not appear within 5 s");
      break;
    }
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    state.SetIterationTime(elapsed.count());
    pressKey(display, window, XK_p);
    if (!waitFor([&] { return pixelAt(display, window, x, y) == difference.first; })) {
      state.SkipWithError("the previous picture did not come back within 5 s");
      break;
    }
  }
  viewer.stop();
  XCloseDisplay(display);
}

void BM_KeyToNextPicture(benchmark::State& state) {
  keyToPicture(state, false);
}
BENCHMARK(BM_KeyToNextPicture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_FullScreenKeyToNextPicture(benchmark::State& state) {
  keyToPicture(state, true);
}
BENCHMARK(BM_FullScreenKeyToNextPicture)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// Peak memory at 1:1 with the info panel shown, and the CPU used while idle: with the panel, and
// after a message (here: a refused file's reason) has gone again.
void BM_PanelAndMessageIdle(benchmark::State& state) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    state.SkipWithError("no X server: set DISPLAY (xvfb-run -a ...)");
    return;
  }
  XSetErrorHandler(ignoreXErrors);
  const Rgb box{32, 32, 32};  // the panel's background
  double peakMiB = 0, panelTicks = 0, afterMessageTicks = 0;
  for (auto _ : state) {
    Viewer viewer({PELMORA_SAMPLE, "/nonexistent.img"});  // the second file is missing
    Window window = None;
    const auto start = Clock::now();
    if (!waitFor([&] {
          window = findWindow(display, PELMORA_SAMPLE);
          return window != None && pixelAt(display, window, 0, 0) == expectedTopLeft();
        })) {
      state.SkipWithError("the picture did not appear within 5 s");
      break;
    }
    pressKey(display, window, XK_i);
    if (!waitFor(
            [&] { return pixelAt(display, window, 1, kFrameHeight * unitScale() - 2) == box; })) {
      state.SkipWithError("the panel did not appear within 5 s");
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    long before = cpuTicks(viewer.pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    panelTicks += static_cast<double>(cpuTicks(viewer.pid) - before);

    pressKey(display, window, XK_n);  // the reason shows for 3 s
    if (!waitFor([&] { return pixelAt(display, window, 1, 1) == box; })) {
      state.SkipWithError("the message did not appear within 5 s");
      break;
    }
    if (!waitFor([&] { return !(pixelAt(display, window, 1, 1) == box); })) {
      state.SkipWithError("the message did not go within 5 s");
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    before = cpuTicks(viewer.pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    afterMessageTicks += static_cast<double>(cpuTicks(viewer.pid) - before);
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    state.SetIterationTime(elapsed.count());
    peakMiB = std::max(peakMiB, viewer.stop());
  }
  state.counters["peak_rss_MiB"] = peakMiB;
  state.counters["idle_ticks_panel_per_500ms"] =
      benchmark::Counter(panelTicks, benchmark::Counter::kAvgIterations);
  state.counters["idle_ticks_after_message_per_500ms"] =
      benchmark::Counter(afterMessageTicks, benchmark::Counter::kAvgIterations);
  XCloseDisplay(display);
}
BENCHMARK(BM_PanelAndMessageIdle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
