// readFileCopy when the file changes, or the system fails, between taking its size and reading:
// the bytes that arrive decide, never the size taken first.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <tuple>

#include "filecopy.h"
#include "support/tempdir.h"

namespace {

// What the read call under test does before (or instead of) the system's read. One at a time.
std::string changingFile;
int readCalls = 0;

std::int64_t shrinkThenRead(int fd, std::uint8_t* into, std::int64_t count) {
  if (readCalls++ == 0) std::filesystem::resize_file(changingFile, 5);
  return readFromFile(fd, into, count);
}

std::int64_t growThenRead(int fd, std::uint8_t* into, std::int64_t count) {
  if (readCalls++ == 0) {
    std::filesystem::resize_file(changingFile, 4096);
    count = std::min<std::int64_t>(count, 7);  // the rest in a second read
  }
  return readFromFile(fd, into, count);
}

std::int64_t failAfterSomeBytes(int fd, std::uint8_t* into, std::int64_t count) {
  if (readCalls++ == 0) return readFromFile(fd, into, count < 7 ? count : 7);
  errno = EIO;
  return -1;
}

std::int64_t interruptedThenRead(int fd, std::uint8_t* into, std::int64_t count) {
  if (readCalls++ < 3) {
    errno = EINTR;
    return -1;
  }
  return readFromFile(fd, into, count < 3 ? count : 3);  // and then in small pieces
}

TEST(FileCopy, TheBytesThatArriveDecide) {
  TempDir dir;
  const std::tuple<const char*, ReadCall, DecodeStatus> cases[] = {
      {"shrinks to 5 bytes", shrinkThenRead, DecodeStatus::shortRead},
      {"grows after its size was taken", growThenRead, DecodeStatus::ok},
      {"read fails part way", failAfterSomeBytes, DecodeStatus::shortRead},
      {"reads interrupted, then short", interruptedThenRead, DecodeStatus::ok},
  };
  const Bytes content(100, 0x42);
  // With standard input closed, as a program may be started, the file opens as descriptor 0.
  const int savedStdin = ::dup(0);
  ::close(0);
  for (const auto& [name, read, status] : cases) {
    changingFile = dir.write("file.img", content);
    readCalls = 0;
    FileCopy copy;
    EXPECT_EQ(readFileCopy(changingFile.c_str(), 1000, copy, read), status) << name;
    if (status == DecodeStatus::ok) {
      // The size taken first bounds the copy: a file that grows is read as it was.
      ASSERT_EQ(copy.size, 100) << name;
      EXPECT_EQ(Bytes(copy.bytes.get(), copy.bytes.get() + copy.size), content) << name;
    } else {
      EXPECT_EQ(copy.bytes, nullptr) << name;  // untouched on failure
      EXPECT_EQ(copy.size, 0) << name;
    }
  }
  ::dup2(savedStdin, 0);
  ::close(savedStdin);
}

}  // namespace
