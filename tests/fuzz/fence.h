#pragma once

// A buffer whose last byte is followed by an inaccessible page, so that a read or write past its
// end faults at once, with or without AddressSanitizer. Lets the fuzzer run without ASan's cost
// and still catch the decoder leaving the file copy or the frame. Where pages cannot be
// protected it is an ordinary heap block (the sanitizer builds then do the catching).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#include <unistd.h>
#define PELMORA_FENCE_PAGES 1
#endif

class FencedBuffer {
 public:
  explicit FencedBuffer(std::size_t capacity) : capacity_(capacity) {
#ifdef PELMORA_FENCE_PAGES
    page_ = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    usable_ = (capacity + page_ - 1) / page_ * page_;
    void* map = ::mmap(nullptr, usable_ + page_, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map != MAP_FAILED) {
      base_ = static_cast<std::uint8_t*>(map);
      ::mprotect(base_ + usable_, page_, PROT_NONE);
      return;
    }
#endif
    heap_.resize(capacity);
    base_ = heap_.data();
    usable_ = capacity;
  }
  ~FencedBuffer() {
#ifdef PELMORA_FENCE_PAGES
    if (heap_.empty()) ::munmap(base_, usable_ + page_);
#endif
  }
  FencedBuffer(const FencedBuffer&) = delete;
  FencedBuffer& operator=(const FencedBuffer&) = delete;

  // The last `size` (<= capacity) bytes before the fence.
  std::uint8_t* last(std::size_t size) {
    return base_ + usable_ - size;
  }

  // `bytes` copied so that their last byte touches the fence.
  const std::uint8_t* holding(const std::uint8_t* bytes, std::size_t size) {
    std::uint8_t* at = last(size);
    if (size > 0) std::memcpy(at, bytes, size);
    return at;
  }

  std::size_t capacity() const {
    return capacity_;
  }

 private:
  std::size_t capacity_;
  std::size_t page_ = 0;
  std::size_t usable_ = 0;
  std::uint8_t* base_ = nullptr;
  std::vector<std::uint8_t> heap_;
};

inline constexpr std::size_t kLargestInput = std::size_t{1} << 20;  // the replay's inputs included

// The file of a fuzz input (what follows its selector byte), copied so that its last byte touches
// the fence; null when there is no selector or the file is larger than kLargestInput.
inline const std::uint8_t* fencedFile(const std::uint8_t* data, std::size_t size) {
  static FencedBuffer copy(kLargestInput);
  return size == 0 || size - 1 > kLargestInput ? nullptr : copy.holding(data + 1, size - 1);
}

// A broken check: aborts, which libFuzzer and the corpus replay both report.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}
