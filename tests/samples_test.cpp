// The committed samples and fuzz seeds are exactly what the sample writer makes now.

#include <gtest/gtest.h>

#include "repositoryfiles.h"
#include "support/tempdir.h"

namespace {

TEST(Samples, CommittedFilesAreWhatTheWriterWrites) {
  const std::vector<RepositoryFile> files = repositoryFiles();
  ASSERT_GT(files.size(), 100u);
  for (const RepositoryFile& file : files) {
    EXPECT_TRUE(readFile(std::filesystem::path(PELMORA_SOURCE_DIR) / file.path) == file.bytes)
        << file.path << " differs: run writesamples . again";
  }
}

}  // namespace
