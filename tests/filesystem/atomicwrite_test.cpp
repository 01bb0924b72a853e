#include "atomicwrite.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/tempdir.h"

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
