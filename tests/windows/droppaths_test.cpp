#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "droppaths.h"

namespace {

// A drop handle as the shell makes one: DROPFILES, then the ANSI paths, each ended by a NUL,
// and one more NUL after the last (two NULs for an empty list).
HDROP makeDrop(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths)
    list += path + '\0';
  list.append(paths.empty() ? 2 : 1, '\0');
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  if (memory == nullptr) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = FALSE;
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

TEST(DroppedPaths, EveryPathInOrderAtItsFullLength) {
  const std::string longPath = "C:\\" + std::string(1000, 'x') + "\\picture.img";
  struct Case {
    std::vector<std::string> dropped;
    std::vector<std::string> taken;
  };
  const Case cases[] = {
      {{}, {}},  // the list of an empty drop ends in two NULs
      {{"C:\\first.img", "C:\\second.img", "C:\\third.img"},
       {"C:\\first.img", "C:\\second.img", "C:\\third.img"}},
      {{"C:\\short.img", longPath}, {"C:\\short.img", longPath}},  // no cut at 255 or 259 bytes
      {{"C:\\" + std::string(252, 'y')}, {"C:\\" + std::string(252, 'y')}},  // 255: the edge
      {{"C:\\caf\xE9 \xA9.img"}, {"C:\\caf\xE9 \xA9.img"}},  // code-page bytes pass unchanged
  };
  for (const Case& c : cases) {
    HDROP drop = makeDrop(c.dropped);
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(takeDroppedPaths(drop), c.taken) << c.dropped.size() << " paths";
  }
}

}  // namespace
