#include "pictureinfo.h"

#include <algorithm>
#include <array>

#include "accuratechunks.h"

namespace {

int readWord(ByteView bytes, std::int64_t at) {
  return bytes.has(at, 2) ? bytes[at] << 8 | bytes[at + 1] : 0;
}

}  // namespace

PictureInfo describePicture(ByteView file, int index) {
  PictureInfo info;
  info.container = containerKind(file);
  if (info.container == ContainerKind::none) return info;
  info.pictures = countPictures(file, info.container);
  const std::optional<PictureChunks> chunks = findPicture(file, info.container, index);
  if (!chunks) return info;
  if (chunks->ihdr && chunks->ihdr->size() >= 14) {
    //   IHDR: +0 width  +2 line size  +4 height  +6 model
    info.header = true;
    info.width = readWord(*chunks->ihdr, 0);
    info.height = readWord(*chunks->ihdr, 4);
    info.model = readWord(*chunks->ihdr, 6);
    info.pixelData = chunks->idat.has_value();
  }
  //   PLTE: +0 first entry  +2 count  +4 count x (R, G, B)
  std::array<bool, 256> loaded{};
  for (const ByteView& plte : chunks->palettes) {
    const int first = readWord(plte, 0);
    const std::int64_t stored = plte.size() >= 4 ? (plte.size() - 4) / 3 : 0;
    const std::int64_t count = std::min<std::int64_t>(readWord(plte, 2), stored);
    for (std::int64_t i = first; i < std::min<std::int64_t>(first + count, 256); ++i)
      loaded[i] = true;
  }
  info.paletteEntries = static_cast<int>(std::count(loaded.begin(), loaded.end(), true));
  return info;
}

std::string modelName(int model) {
  static const char* const names[] = {"RGB888", "RGB555", "DYUV", "CLUT8", "CLUT7",
                                      "CLUT4",  "CLUT3",  "RL7",  "RL3",   "palette only"};
  if (model >= 1 && model <= 10) return names[model - 1];
  return "model " + std::to_string(model);
}

std::vector<std::string> panelLines(const PanelFacts& facts) {
  const PictureInfo& info = facts.info;
  std::vector<std::string> lines;
  std::string file = facts.fileName;
  if (facts.count > 0) {
    file += "  (" + std::to_string(facts.position) + "/" + std::to_string(facts.count) + ")";
  }
  lines.push_back(file);
  switch (info.container) {
    case ContainerKind::none:
      lines.push_back(facts.unread.empty() ? "not a CD-i picture" : facts.unread);
      break;
    case ContainerKind::form:
      lines.push_back("FORM");
      break;
    case ContainerKind::cat:
      lines.push_back("CAT with " + std::to_string(info.pictures) +
                      (info.pictures == 1 ? " picture" : " pictures"));
      break;
  }
  if (info.header) {
    lines.push_back(modelName(info.model) + ", " + std::to_string(info.width) + " x " +
                    std::to_string(info.height));
  } else if (info.container != ContainerKind::none) {
    lines.push_back("no picture header");
  }
  if (info.container != ContainerKind::none) {
    lines.push_back(info.paletteEntries == 0
                        ? std::string("no palette")
                        : "palette: " + std::to_string(info.paletteEntries) +
                              (info.paletteEntries == 1 ? " entry" : " entries"));
  }
  std::string profile = facts.accurate ? "accurate profile" : "classic profile";
  if (facts.accurate && info.pictures > 1) {
    profile += ", picture " + std::to_string(facts.page + 1) + "/" + std::to_string(info.pictures);
  }
  if (!facts.profileReason.empty()) profile += " (" + facts.profileReason + ")";
  lines.push_back(profile + ", zoom " + facts.zoom);
  return lines;
}
