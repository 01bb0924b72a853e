#pragma once

// The pictures a scan finds, each kept with its bytes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "finder.h"
#include "imagbuilder.h"

struct Find {
  FoundPicture found;
  Bytes bytes;
};

// A visitor that keeps every find in `finds`.
inline FoundVisitor keepFinds(std::vector<Find>& finds) {
  return [&finds](const FoundPicture& found, ByteView bytes) {
    finds.push_back({found, Bytes(bytes.data(), bytes.data() + bytes.size())});
    return true;
  };
}

// The finds of scanFile in `path`, each read again the same, as the viewer reads it for its list.
inline std::vector<Find> scanFinds(const std::string& path, SectorLayout* layout = nullptr,
                                   const ScanOptions& options = {}) {
  std::vector<Find> finds;
  EXPECT_EQ(scanFile(path.c_str(), keepFinds(finds), layout, options), DecodeStatus::ok);
  for (const Find& find : finds) {
    Bytes again(5, 0xEE);  // what it held before is replaced
    EXPECT_EQ(readFoundPicture(path.c_str(), find.found, again), DecodeStatus::ok);
    EXPECT_EQ(again, find.bytes);
    EXPECT_EQ(find.found.container, containerKind(ByteView(find.bytes)));
  }
  return finds;
}
