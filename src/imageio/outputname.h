#pragma once

// The names pictures are written under: one rule for the converter and the viewer's Ctrl+S.
//
//   the picture of a file               NAME.EXT         -> NAME.EXT.png (the whole name kept)
//   picture k of a CAT, all written     NAME.EXT         -> NAME.EXT-k.png (k from 1)
//   a picture found at OFFSET in a file NAME.EXT, OFFSET -> NAME.EXT@0xOFFSET.png, and
//                                                         NAME.EXT@0xOFFSET-k.png for k > 1
//
// ".ppm" in place of ".png" for PPM output. The folder of the path is kept.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct PictureOutput {
  std::optional<std::int64_t> offset;  // where the picture was found inside the file
  int picture = 0;                     // 0: the picture alone; k: picture k (from 1) of a CAT
};

// The name of `which` picture of the file at `path`, with `extension` (".png" or ".ppm").
std::string pictureOutputPath(const std::string& path, const PictureOutput& which,
                              const char* extension = ".png");

// out.png -> out-3.png: the output named for a whole file, numbered for picture 3 of its CAT.
std::string numberedOutput(const std::string& output, int picture);

// `path` when `taken` is false for it, otherwise the first of NAME-2.EXT, NAME-3.EXT, ... that is
// free. `taken` defaults to "something of that name exists" (a dangling symbolic link included),
// so that nothing is ever overwritten.
std::string freeOutputPath(const std::string& path,
                           const std::function<bool(const std::string&)>& taken = {});
