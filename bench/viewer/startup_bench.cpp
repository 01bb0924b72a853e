// Start-up of the viewer with a picture on its command line: time from starting the process to
// the decoded frame on screen, the process's peak memory, and the CPU it uses while idle.
//
// Runs on the X server in DISPLAY, e.g. (one line):
//   DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent xvfb-run -a -s "-noreset -screen 0
//   1024x768x24" build/bench/viewer/viewer_startup_bench

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
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "decode.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

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

// True once a top-level window captioned `caption` shows `pixel` at its top-left.
bool frameShown(Display* display, const std::string& caption, Rgb pixel) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    return false;
  }
  bool shown = false;
  for (unsigned i = 0; i < count && !shown; ++i) {
    if (windowName(display, children[i]) != caption) continue;
    XImage* image = XGetImage(display, children[i], 0, 0, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) continue;
    const unsigned long p = XGetPixel(image, 0, 0);
    shown = Rgb{unsigned(p >> 16 & 0xFF), unsigned(p >> 8 & 0xFF), unsigned(p & 0xFF)} == pixel;
    XDestroyImage(image);
  }
  if (children != nullptr) XFree(children);
  return shown;
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

}  // namespace

BENCHMARK_MAIN();
