#include "batchrun.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// What the conversion on this thread has collected; null outside runBatch's threads.
struct ConversionLog {
  std::string messages;
  std::vector<std::function<bool()>> laterSteps;
};
thread_local ConversionLog* thisConversion = nullptr;

// A counting semaphore that sleeps at once: std::counting_semaphore spins and yields first, which
// dozens of threads waiting for a turn turn into busy processors.
class Turns {
 public:
  explicit Turns(int count) : free_(count) {}
  void acquire() {
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [this] { return free_ > 0; });
    --free_;
  }
  void release() {
    {
      const std::lock_guard lock(mutex_);
      ++free_;
    }
    freed_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  int free_;
};

// Threads per turn: all but one mostly wait for file syncs (afterTurn steps), and syncs waiting
// at once share the file system's journal commits.
constexpr int kThreadsPerTurn = 32;
constexpr int kMostThreads = 96;

// Every conversion allocates and frees buffers of a picture's size (the file, the frame, the
// rows, zlib's window). By default glibc serves those from fresh mappings or gives them back to
// the system when freed, and spreads threads over many arenas, so each picture faults its pages
// in again: on menu screens that took more processor time than compressing them. Freed memory up
// to 64 MiB is kept for the next picture instead, in as many arenas as conversions run at once.
void keepFreedMemory(int turns) {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_ARENA_MAX, std::max(turns, 1));
#else
  (void)turns;
#endif
}

}  // namespace

int defaultTurns() {
  return static_cast<int>(std::thread::hardware_concurrency()) + 1;
}

void reportMessage(const std::string& text) {
  if (thisConversion != nullptr) {
    thisConversion->messages.append(text);
  } else {
    std::fputs(text.c_str(), stderr);
  }
}

void afterTurn(std::function<bool()> step) {
  if (thisConversion != nullptr) {
    thisConversion->laterSteps.push_back(std::move(step));
  } else {
    step();
  }
}

bool runBatch(std::size_t count, int turns, const std::function<bool(std::size_t)>& convert) {
  bool allDone = true;
  if (count > 1) keepFreedMemory(turns);
  if (count <= 1 || turns <= 0) {  // no threads to start, messages go out as they come
    for (std::size_t i = 0; i < count; ++i)
      allDone = convert(i) && allDone;
    return allDone;
  }
  Turns freeTurns(turns);
  std::atomic<std::size_t> next{0};
  std::mutex mutex;  // guards the rest
  std::vector<std::string> messages(count);
  std::vector<bool> finished(count);
  std::size_t printed = 0;
  auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      ConversionLog log;
      thisConversion = &log;
      freeTurns.acquire();
      bool done = convert(i);
      freeTurns.release();
      for (const auto& step : log.laterSteps)
        done = step() && done;
      thisConversion = nullptr;
      const std::lock_guard lock(mutex);
      allDone = allDone && done;
      messages[i] = std::move(log.messages);
      finished[i] = true;
      for (; printed < count && finished[printed]; ++printed) {
        std::fputs(messages[printed].c_str(), stderr);
        std::string().swap(messages[printed]);
      }
    }
  };
  const auto threads =
      std::min<std::size_t>({count, std::size_t(turns) * kThreadsPerTurn, kMostThreads});
  std::vector<std::jthread> pool;
  for (std::size_t t = 1; t < threads; ++t) {
    try {
      pool.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // the threads started so far do the work
    }
  }
  work();
  pool.clear();  // joins
  return allDone;
}
