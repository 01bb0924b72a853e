#include "rawinput.h"

#include <charconv>
#include <cstring>

#include "accuratechunks.h"
#include "accurateimage.h"
#include "decode.h"
#include "dyuvencoder.h"
#include "filecopy.h"
#include "imagbuilder.h"
#include "paletteencoders.h"
#include "pictureencoder.h"

namespace {

constexpr int kLargestField = 65535;  // IHDR's fields are 16 bits
constexpr std::int64_t kLargestPaletteBytes = 3 * 256;

struct RawPicture {
  ModelInfo model{};
  int width = 0, height = 0;
  DyuvStart start;
};

// Reads a whole number in 0..limit from the front of `text`, moving past it.
bool number(std::string_view& text, int limit, int& out) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  if (error != std::errc() || out < 0 || out > limit) return false;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

bool skip(std::string_view& text, char c) {
  if (text.empty() || text[0] != c) return false;
  text.remove_prefix(1);
  return true;
}

int naturalLineSize(const RawPicture& raw) {
  switch (raw.model.model) {
    case 1:
      return 3 * raw.width;
    case 2:
    case 3:
      return raw.width;
    default:
      return indexLineSize(raw.model.model, raw.width, PictureLayout::accurate);
  }
}

std::string parse(const RawOptions& options, RawPicture& out) {
  const std::string_view shape = options.shape;
  const auto colon = shape.find(':');
  const auto model = modelNamed(shape.substr(0, colon));
  if (colon == std::string_view::npos || !model) {
    return "--raw needs MODEL:WIDTHxHEIGHT, MODEL one of " + modelNames();
  }
  out.model = *model;
  std::string_view size = shape.substr(colon + 1);
  if (!number(size, kLargestField, out.width) || !skip(size, 'x') ||
      !number(size, kLargestField, out.height) || !size.empty() || out.width == 0 ||
      out.height == 0) {
    return "--raw needs a size of WIDTHxHEIGHT, each 1 to 65535: '" + options.shape + "'";
  }
  if (naturalLineSize(out) > kLargestField) {
    return "--raw: lines of " + std::to_string(out.width) + " pixels are too long for " +
           std::string(shape.substr(0, colon));
  }
  if (!options.start.empty()) {
    std::string_view start = options.start;
    int y = 0, u = 0, v = 0;
    if (!number(start, 255, y) || !skip(start, ',') || !number(start, 255, u) ||
        !skip(start, ',') || !number(start, 255, v) || !start.empty()) {
      return "--start needs Y,U,V, each 0 to 255: '" + options.start + "'";
    }
    out.start = {std::uint8_t(y), std::uint8_t(u), std::uint8_t(v)};
  }
  return "";
}

}  // namespace

std::string readPaletteChunks(const std::string& path, PaletteChunks& chunks) {
  chunks.clear();
  FileCopy copy;
  const DecodeStatus status = readFileCopy(path.c_str(), kMaxFileBytes, copy);
  if (status != DecodeStatus::ok) return decodeStatusText(status);
  const ByteView view = copy.view();
  if (const ContainerKind kind = containerKind(view); kind != ContainerKind::none) {
    const auto found = findPicture(view, kind, 0);
    if (!found || found->palettes.empty()) return "no PLTE chunk in this CD-i file";
    for (const ByteView& body : found->palettes)
      chunks.emplace_back(body.data(), body.data() + body.size());
    return "";
  }
  if (copy.size % 3 != 0 || copy.size > kLargestPaletteBytes) {
    return "not a palette: neither a CD-i IFF file nor up to 256 RGB triplets (" +
           std::to_string(copy.size) + " bytes)";
  }
  Bytes body;
  appendU16(body, 0);  // from entry 0
  appendU16(body, static_cast<std::uint32_t>(copy.size / 3));
  body.insert(body.end(), copy.bytes.get(), copy.bytes.get() + copy.size);
  chunks.push_back(std::move(body));
  return "";
}

namespace {

std::vector<Rgb> greys(int count) {
  std::vector<Rgb> colours;
  for (int n = 0; n < count; ++n) {
    const auto level = static_cast<std::uint8_t>(n * 255 / (count - 1));
    colours.push_back({level, level, level});
  }
  return colours;
}

}  // namespace

bool RawOptions::take(const std::string& option, const std::string& value) {
  std::string* field = option == "--raw"       ? &shape
                       : option == "--palette" ? &palette
                       : option == "--start"   ? &start
                                               : nullptr;
  if (field != nullptr) *field = value;
  return field != nullptr;
}

std::string checkRawOptions(const RawOptions& options, bool otherProfile, bool scanning) {
  if (!options.active()) {
    if (!options.start.empty()) return "--start needs --raw";
    return options.palette.empty() || scanning ? "" : "--palette needs --raw or --scan";
  }
  if (otherProfile) return "--raw cannot be combined with --accurate, --crop, --scan or --info";
  RawPicture raw;
  return parse(options, raw);
}

std::string rawImage(const std::string& input, const RawOptions& options, RgbImage& image,
                     bool& complete) {
  RawPicture raw;
  if (std::string error = parse(options, raw); !error.empty()) return error;
  FileCopy data;
  const DecodeStatus status = readFileCopy(input.c_str(), kMaxFileBytes, data);
  if (status != DecodeStatus::ok) return decodeStatusText(status);

  ImagHeader header;
  header.width = static_cast<std::uint16_t>(raw.width);
  header.height = static_cast<std::uint16_t>(raw.height);
  header.lineSize = static_cast<std::uint16_t>(naturalLineSize(raw));
  header.model = static_cast<std::uint16_t>(raw.model.model);
  header.depth = static_cast<std::uint16_t>(raw.model.depth);
  header.y = raw.start.y, header.u = raw.start.u, header.v = raw.start.v;
  ImagBuilder file = ImagBuilder::form();
  file.ihdr(header);
  if (const int capacity = paletteCapacity(raw.model.model); capacity != 0) {
    if (options.palette.empty()) {
      file.plte(greys(capacity));
    } else {
      PaletteChunks chunks;
      if (std::string error = readPaletteChunks(options.palette, chunks); !error.empty()) {
        return options.palette + ": " + error;
      }
      for (const auto& body : chunks)
        file.chunk("PLTE", body);
    }
  }
  file.idat(Bytes(data.bytes.get(), data.bytes.get() + data.size));
  const Bytes bytes = file.bytes();
  const DecodeStatus decoded = accurateImage(bytes, {}, image, complete);
  return decoded == DecodeStatus::ok ? "" : decodeStatusText(decoded);
}
