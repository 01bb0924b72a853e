#include "atomicwrite.h"

#include <gtest/gtest.h>

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

}  // namespace
