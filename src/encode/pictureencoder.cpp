#include "pictureencoder.h"

#include <algorithm>
#include <unordered_map>

#include "accurate.h"
#include "accuratedyuvencoder.h"
#include "decode.h"
#include "dyuvencoder.h"
#include "profile.h"

namespace {

constexpr ModelInfo kModels[] = {
    {"dyuv", 3, 8},  {"rgb555", 2, 16}, {"rgb888", 1, 24}, {"clut8", 4, 8}, {"clut7", 5, 7},
    {"clut4", 6, 4}, {"clut3", 7, 3},   {"rl7", 8, 7},     {"rl3", 9, 3},
};

// IHDR's fields are 16 bits wide.
constexpr int kLargestField = 65535;

std::uint32_t key(const Rgb& c) {
  return std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
}

std::string upper(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return out;
}

struct Indexed {
  IndexPicture picture;
  std::vector<Rgb> palette;
  std::string error;
};

Indexed toIndices(const RgbPicture& image, const std::vector<Rgb>* source, const ModelInfo& model) {
  const int capacity = paletteCapacity(model.model);
  std::unordered_map<std::uint32_t, int> order;  // colour -> its first entry in the source
  if (source != nullptr) {
    for (std::size_t i = 0; i < source->size(); ++i)
      order.emplace(key((*source)[i]), static_cast<int>(i));
  }
  std::unordered_map<std::uint32_t, int> used;  // colour -> index in the picture
  std::vector<Rgb> colours;
  bool keepsNumbers = source != nullptr;
  Indexed out;
  for (const Rgb& c : image.pixels) {
    if (!used.emplace(key(c), 0).second) continue;
    if (static_cast<int>(colours.size()) == capacity) {  // stop counting: memory stays small
      out.error = "the picture has more than " + std::to_string(capacity) + " colours, the most " +
                  upper(model.name) + " holds; reduce them first, for example with pngquant " +
                  std::to_string(capacity);
      return out;
    }
    colours.push_back(c);
    const auto at = order.find(key(c));
    if (at == order.end() || at->second >= capacity) keepsNumbers = false;
  }
  if (keepsNumbers) {
    int last = 0;
    for (const Rgb& c : colours)
      last = std::max(last, order.at(key(c)));
    out.palette.assign(source->begin(), source->begin() + last + 1);
    for (auto& [colour, index] : used)
      index = order.at(colour);
  } else {
    std::sort(colours.begin(), colours.end(), [&](const Rgb& a, const Rgb& b) {
      const auto ia = order.find(key(a)), ib = order.find(key(b));
      const int oa = ia == order.end() ? capacity : ia->second;
      const int ob = ib == order.end() ? capacity : ib->second;
      return oa != ob ? oa < ob : key(a) < key(b);
    });
    out.palette = colours;
    for (std::size_t i = 0; i < colours.size(); ++i)
      used[key(colours[i])] = static_cast<int>(i);
  }
  if (out.palette.size() % 2 != 0) out.palette.push_back({0, 0, 0});
  out.picture = {image.width, image.height, {}};
  out.picture.indices.reserve(image.pixels.size());
  for (const Rgb& c : image.pixels)
    out.picture.indices.push_back(static_cast<std::uint8_t>(used.at(key(c))));
  return out;
}

Bytes rgb888(const RgbPicture& image) {
  Bytes data;
  data.reserve(image.pixels.size() * 3);
  for (const Rgb& c : image.pixels)
    data.insert(data.end(), {c.r, c.g, c.b});
  return data;
}

// The upper bytes of all lines, then the lower bytes: 0 rrrrr ggggg bbbbb.
Bytes rgb555(const RgbPicture& image) {
  const std::size_t count = image.pixels.size();
  Bytes data(2 * count);
  for (std::size_t i = 0; i < count; ++i) {
    const Rgb& c = image.pixels[i];
    const unsigned pixel = unsigned(c.r >> 3) << 10 | unsigned(c.g >> 3) << 5 | unsigned(c.b >> 3);
    data[i] = static_cast<std::uint8_t>(pixel >> 8);
    data[count + i] = static_cast<std::uint8_t>(pixel);
  }
  return data;
}

// "" when `file` shows all of `image` in the profile its layout is for: the accurate picture
// complete at the image's size, or a classic frame that every line reaches in full.
std::string checkDecodes(const Bytes& file, const RgbPicture& image, bool classic) {
  const std::string size = std::to_string(image.width) + " x " + std::to_string(image.height);
  if (!classic) {
    AccuratePicture picture;
    if (decodeAccurate(file, {}, picture) == DecodeStatus::ok && picture.complete &&
        picture.width == image.width && picture.height == image.height) {
      return "";
    }
    return "the picture written does not decode complete at " + size + "; nothing was written";
  }
  if (image.width > kFrameWidth || image.height > kFrameHeight) {
    return "the classic frame shows at most 384 x 280 pixels, not " + size +
           "; leave out --classic";
  }
  std::vector<std::uint8_t> frame(kFrameBytes);
  FrameCoverage coverage;
  AccurateSummary header;
  describeAccurate(file, {}, header);
  const bool lines =
      header.model >= 8 || (header.lineSize == image.width &&
                            header.dataBytes >= std::int64_t{header.lineSize} * header.height);
  if (decodeImageMemory(file, std::span<std::uint8_t, kFrameBytes>(frame.data(), kFrameBytes),
                        kViewerThreshold, &coverage) == DecodeStatus::ok &&
      lines && coverage.width >= image.width && coverage.height >= image.height) {
    return "";
  }
  return "the picture written does not fill " + size + " of the classic frame; nothing was written";
}

void appendChunk(ImagBuilder& file, std::string_view id, const Bytes& body) {
  file.chunk(id, body);
  if (body.size() % 2 != 0) file.raw({0});
}

}  // namespace

std::optional<ModelInfo> modelNamed(std::string_view name) {
  for (const ModelInfo& info : kModels) {
    if (name == info.name) return info;
  }
  return std::nullopt;
}

std::string modelNames() {
  std::string names;
  for (const ModelInfo& info : kModels) {
    names += (names.empty() ? "" : "|") + std::string(info.name);
  }
  return names;
}

EncodedPicture encodePicture(const RgbPicture& image, const std::vector<Rgb>* palette,
                             const ModelInfo& model, PictureLayout layout) {
  const bool classic = layout == PictureLayout::classic;
  if (classic && (model.model <= 2 || model.model == 7)) {
    return {{}, "the classic frame does not show " + upper(model.name) + " pictures"};
  }
  // The classic reading takes a DYUV line as one byte a pixel, whatever the width's parity.
  const int lineSize = model.model == 1   ? 3 * image.width
                       : model.model == 3 ? (classic ? image.width : dyuvLineSize(image.width))
                       : model.model == 2 ? image.width
                                          : indexLineSize(model.model, image.width, layout);
  if (image.width <= 0 || image.height <= 0 || image.height > kLargestField ||
      lineSize > kLargestField) {
    return {{},
            "a " + upper(model.name) + " picture of " + std::to_string(image.width) + " x " +
                std::to_string(image.height) + " pixels does not fit a CD-i header"};
  }
  ImagHeader header;
  header.width = static_cast<std::uint16_t>(image.width);
  header.lineSize = static_cast<std::uint16_t>(lineSize);
  header.height = static_cast<std::uint16_t>(image.height);
  header.model = static_cast<std::uint16_t>(model.model);
  header.depth = static_cast<std::uint16_t>(model.depth);
  ImagBuilder file = ImagBuilder::form();
  Bytes data;
  Indexed indexed;
  if (paletteCapacity(model.model) != 0) {
    indexed = toIndices(image, palette, model);
    if (!indexed.error.empty()) return {{}, indexed.error};
    file.ihdr(header).plte(indexed.palette);
    data = encodeIndices(indexed.picture, model.model, layout);
  } else if (model.model == 3 && classic) {
    file.ihdr(header);
    data = encodeDyuv(image, DyuvStart{}, kViewerThreshold);
  } else if (model.model == 3) {
    // Line starts always go in a YUVS chunk, equal or not: a header without one reads as the
    // classic layout, so the viewer's automatic profile would show these lines scrambled.
    const std::vector<DyuvStart> starts = dyuvLineStarts(image);
    header.y = starts[0].y, header.u = starts[0].u, header.v = starts[0].v;
    header.dyuvKind = 1;
    Bytes yuvs;
    for (const DyuvStart& s : starts)
      yuvs.insert(yuvs.end(), {s.y, s.u, s.v});
    file.ihdr(header);
    appendChunk(file, "YUVS", yuvs);
    data = encodeDyuvPairs(image, starts);
  } else {
    file.ihdr(header);
    data = model.model == 1 ? rgb888(image) : rgb555(image);
  }
  const ImagBuilder head = file;
  appendChunk(file, "IDAT", data);
  Bytes bytes = file.bytes();
  if (model.model == 9 && !classic &&
      chooseProfile(bytes, ProfileMode::automatic).profile == Profile::classic) {
    // These pairs happen to read cleanly as classic codes too, so viewers would show them in
    // the classic frame; the same lines counted to their ends make another stream.
    ImagBuilder counted = head;
    appendChunk(counted, "IDAT", encodeIndices(indexed.picture, 9, layout, LineEnds::counted));
    if (chooseProfile(counted.bytes(), ProfileMode::automatic).profile == Profile::accurate) {
      bytes = counted.bytes();
    }
  }
  if (std::string error = checkDecodes(bytes, image, classic); !error.empty()) {
    return {{}, std::move(error)};
  }
  return {std::move(bytes), ""};
}
