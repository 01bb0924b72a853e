#include "atomicwrite.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "support/tempdir.h"

// While set, renames fail with EINVAL, as on file systems that have no RENAME_NOREPLACE.
static bool renameCannotRefuse = false;
extern "C" int renameat2(int from, const char* fromPath, int to, const char* toPath,
                         unsigned flags) noexcept {
  if (renameCannotRefuse) return errno = EINVAL, -1;
  return static_cast<int>(::syscall(SYS_renameat2, from, fromPath, to, toPath, flags));
}

namespace {

// A new-file write (the viewer's save) never replaces a file, not even one that another program
// creates between the choice of the name and the rename; and it leaves no temporary behind.
TEST(NewFileWrite, LeavesAFileThatAppearsInTheMeantimeAlone) {
  TempDir dir;
  const Bytes mine{1, 2, 3}, theirs{9};
  const std::string taken = dir.write("taken.png", theirs);
  EXPECT_EQ(writeNewFileAtomically(taken, mine), kFileExists);

  const std::string racy = dir.path("racy.png").string();
  PendingFile file;
  ASSERT_EQ(file.begin(racy, mine, false), "");
  dir.write("racy.png", theirs);
  EXPECT_EQ(file.finish(), kFileExists);

  const std::string fresh = dir.path("fresh.png").string();
  EXPECT_EQ(writeNewFileAtomically(fresh, mine), "");
  EXPECT_EQ(readFile(taken), theirs);
  EXPECT_EQ(readFile(racy), theirs);
  EXPECT_EQ(readFile(fresh), mine);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root()), {}), 3);
}

// Where the file system cannot refuse to replace in a rename, a hard link does the same. A write
// leaves the signals that may end the program as they were.
TEST(NewFileWrite, WithoutARenameThatRefusesALinkDoesIt) {
  TempDir dir;
  const std::string taken = dir.write("taken.png", {9}), fresh = dir.path("fresh.png").string();
  renameCannotRefuse = true;
  EXPECT_EQ(writeNewFileAtomically(taken, Bytes{1}), kFileExists);
  EXPECT_EQ(writeNewFileAtomically(fresh, Bytes{1, 2}), "");
  renameCannotRefuse = false;
  EXPECT_EQ(readFile(taken), Bytes{9});
  EXPECT_EQ(readFile(fresh), (Bytes{1, 2}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root()), {}), 2);
  sigset_t blocked;
  pthread_sigmask(SIG_BLOCK, nullptr, &blocked);
  EXPECT_FALSE(sigismember(&blocked, SIGINT));
}

// A write that could not start gives its place back at once: a write that takes the place
// afterwards is not disturbed when the first is gone.
TEST(AtomicWrite, AFailedStartLeavesTheNextWriteAlone) {
  TempDir dir;
  PendingFile next;
  {
    PendingFile failed;
    EXPECT_NE(failed.begin(dir.path("missing/out.png").string(), Bytes{1}), "");
    ASSERT_EQ(next.begin(dir.path("out.png").string(), Bytes{2}), "");
  }
  EXPECT_EQ(next.finish(), "");
  EXPECT_EQ(readFile(dir.path("out.png")), Bytes{2});
}

// Temporary names taken (each names the process) are passed over; when every name it would try
// is taken, the write fails and writes nothing: never through another descriptor, never another
// program's file moved in.
TEST(AtomicWrite, FailsWhenEveryTemporaryNameIsTaken) {
  TempDir dir;
  const unsigned base = static_cast<unsigned>(::getpid()) * 7919u;
  const auto take = [&](unsigned names) {
    for (unsigned serial = 0; serial < names; ++serial)
      dir.write(".out.png." + std::to_string((base + serial) % 1000000) + ".tmp", {});
  };
  const std::string out = dir.path("out.png").string();
  take(50);
  EXPECT_EQ(writeFileAtomically(out, Bytes{1}), "");
  std::filesystem::remove(out);
  take(1000);
  EXPECT_NE(writeFileAtomically(out, Bytes{1}).find("cannot create"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
