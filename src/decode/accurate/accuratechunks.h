#pragma once

// Finding the chunks of one picture in a FORM or a CAT, for the accurate profile.

#include <optional>
#include <vector>

#include "byteview.h"
#include "container.h"

struct PictureChunks {
  std::optional<ByteView> ihdr;    // the first IHDR
  std::optional<ByteView> yuvs;    // the last YUVS
  std::optional<ByteView> idat;    // the first IDAT after the IHDR
  std::vector<ByteView> palettes;  // the PLTE bodies before that IDAT, in file order
};

// The chunks of picture `index` (0: the first) of an accepted container, each body cut where the
// file ends; nothing when the file holds fewer pictures.
std::optional<PictureChunks> findPicture(ByteView file, ContainerKind kind, int index);

// How many pictures the walk meets.
int countPictures(ByteView file, ContainerKind kind);
