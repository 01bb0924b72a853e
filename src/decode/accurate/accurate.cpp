#include "accurate.h"

#include <new>

#include "accuratechunks.h"
#include "accuratemodels.h"
#include "byteswap.h"
#include "decode.h"
#include "filecopy.h"

namespace {

constexpr std::int64_t kIhdrBytes = 14;
constexpr int kPaletteOnlyModel = 10;

AccurateHeader readHeader(ByteView body) {
  const std::uint8_t* p = body.data();
  AccurateHeader header;
  header.width = byteswapsp(p);
  header.lineSize = byteswapsp(p + 2);
  header.height = byteswapsp(p + 4);
  header.model = byteswapsp(p + 6);
  header.depth = byteswapsp(p + 8);
  header.dyuvKind = p[10];
  header.y = p[11], header.u = p[12], header.v = p[13];
  return header;
}

// PLTE: entries from `first` on take the chunk's colours; those below keep theirs. At most the
// 256 - first entries that exist, and only the colours the body holds.
void loadPalette(ByteView body, AccuratePalette& palette) {
  if (body.size() < 4) return;
  const std::int64_t first = byteswapsp(body.data());
  const std::int64_t count = byteswapsp(body.data() + 2);
  for (std::int64_t i = 0; i < count && first + i < 256 && body.has(4 + 3 * i, 3); ++i) {
    const std::int64_t at = 4 + 3 * i;
    palette[static_cast<std::size_t>(first + i)] = {body[at], body[at + 1], body[at + 2]};
  }
}

LineStarts readLineStarts(std::optional<ByteView> body, int height) {
  LineStarts starts;
  if (!body) return starts;
  for (std::int64_t at = 0; at + 3 <= body->size() && starts.size() < std::size_t(height);
       at += 3) {
    starts.push_back({(*body)[at], (*body)[at + 1], (*body)[at + 2]});
  }
  return starts;
}

bool decodeModel(ByteView idat, const AccurateHeader& header, const PictureChunks& chunks,
                 const AccurateOptions& options, PictureWriter& out) {
  AccuratePalette palette{};
  for (const ByteView& plte : chunks.palettes)
    loadPalette(plte, palette);
  switch (header.model) {
    case 1:
      return decodeRgb888(idat, header, out);
    case 2:
      return decodeRgb555(idat, header, out);
    case 3:
      return decodeDyuvLines(idat, header, readLineStarts(chunks.yuvs, header.height),
                             options.interpolateChroma, out);
    case 8:
      return decodeRunLength7(idat, palette, out);
    case 9:
      return decodeRunLength3(idat, palette, out);
    default:  // 4 to 7
      return decodeClutLines(idat, header, palette, out);
  }
}

bool isDoubleResolution(int model) {
  return model == 6 || model == 7 || model == 9;
}

// The picture options.pictureIndex and its header, when decodeAccurate would decode it.
DecodeStatus checkPicture(ByteView file, const AccurateOptions& options,
                          std::optional<PictureChunks>& chunks, AccurateHeader& header) {
  if (file.size() < kContainerHeaderBytes) return DecodeStatus::tooShort;
  const ContainerKind kind = containerKind(file);
  if (kind == ContainerKind::none) return DecodeStatus::notCdiImage;
  chunks = findPicture(file, kind, options.pictureIndex);
  if (!chunks || !chunks->ihdr) return DecodeStatus::noPicture;
  if (chunks->ihdr->size() < kIhdrBytes) return DecodeStatus::badHeader;
  header = readHeader(*chunks->ihdr);
  if (header.model == kPaletteOnlyModel) return DecodeStatus::noPicture;
  if (header.model < 1 || header.model > 9) return DecodeStatus::unknownModel;
  if (header.width == 0 || header.height == 0) return DecodeStatus::badHeader;
  // Divide before multiplying: width x height may not fit the type the cap is compared in.
  if (static_cast<std::uint64_t>(header.width) > options.maxPixels / header.height) {
    return DecodeStatus::pictureTooLarge;
  }
  return DecodeStatus::ok;
}

DecodeStatus decode(ByteView file, const AccurateOptions& options, AccuratePicture& out) {
  std::optional<PictureChunks> chunks;
  AccurateHeader header;
  if (const DecodeStatus status = checkPicture(file, options, chunks, header);
      status != DecodeStatus::ok) {
    return status;
  }
  const std::size_t bytes = std::size_t(header.width) * std::size_t(header.height) * 3;
  try {
    out.rgb.assign(bytes, 0);
  } catch (const std::bad_alloc&) {
    return DecodeStatus::outOfMemory;
  }
  out.width = header.width;
  out.height = header.height;
  out.model = header.model;
  out.doubleResolution = isDoubleResolution(header.model);
  PictureWriter writer(out);
  const ByteView idat = chunks->idat.value_or(ByteView());
  out.complete = decodeModel(idat, header, *chunks, options, writer) && chunks->idat.has_value();
  return DecodeStatus::ok;
}

}  // namespace

DecodeStatus decodeAccurate(std::span<const std::uint8_t> file, const AccurateOptions& options,
                            AccuratePicture& out) {
  out = AccuratePicture{};
  const DecodeStatus status = decode(ByteView(file), options, out);
  if (status != DecodeStatus::ok) out = AccuratePicture{};
  return status;
}

DecodeStatus describeAccurate(std::span<const std::uint8_t> file, const AccurateOptions& options,
                              AccurateSummary& out) {
  out = AccurateSummary{};
  std::optional<PictureChunks> chunks;
  AccurateHeader header;
  const DecodeStatus status = checkPicture(ByteView(file), options, chunks, header);
  if (!chunks || !chunks->ihdr || chunks->ihdr->size() < kIhdrBytes) return status;
  out.pictures = accuratePictureCount(file);
  out.width = header.width, out.lineSize = header.lineSize, out.height = header.height;
  out.model = header.model;
  if (!chunks->palettes.empty() && chunks->palettes.back().size() >= 4) {
    const std::uint8_t* plte = chunks->palettes.back().data();
    out.paletteFirst = byteswapsp(plte), out.paletteCount = byteswapsp(plte + 2);
  }
  out.paletteChunks = static_cast<int>(chunks->palettes.size());
  out.lineStarts = chunks->yuvs.has_value();
  out.hasData = chunks->idat.has_value();
  out.dataBytes = chunks->idat ? chunks->idat->size() : 0;
  if (chunks->idat) out.data = {chunks->idat->data(), static_cast<std::size_t>(out.dataBytes)};
  return status;
}

DecodeStatus decodeAccurateFile(const char* path, const AccurateOptions& options,
                                AccuratePicture& out) {
  out = AccuratePicture{};
  FileCopy copy;
  const DecodeStatus read = readFileCopy(path, kMaxFileBytes, copy);
  if (read != DecodeStatus::ok) return read;
  return decodeAccurate({copy.bytes.get(), static_cast<std::size_t>(copy.size)}, options, out);
}

int accuratePictureCount(std::span<const std::uint8_t> file) {
  const ByteView bytes(file);
  const ContainerKind kind = containerKind(bytes);
  return kind == ContainerKind::none ? 0 : countPictures(bytes, kind);
}

bool widenToScreenAspect(AccuratePicture& picture, std::uint64_t maxPixels) {
  if (picture.doubleResolution || picture.width == 0 || picture.height == 0) return true;
  const std::uint64_t wide = std::uint64_t(picture.width) * 2;
  if (wide > maxPixels / static_cast<std::uint64_t>(picture.height)) return false;
  std::vector<std::uint8_t> rgb;
  try {
    rgb.resize(static_cast<std::size_t>(wide) * picture.height * 3);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::uint8_t* to = rgb.data();
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3, to += 6) {
    to[0] = to[3] = picture.rgb[i];
    to[1] = to[4] = picture.rgb[i + 1];
    to[2] = to[5] = picture.rgb[i + 2];
  }
  picture.rgb = std::move(rgb);
  picture.width = static_cast<int>(wide);
  picture.doubleResolution = true;
  return true;
}
