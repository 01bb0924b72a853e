#include "scancommand.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <set>

#include "atomicwrite.h"
#include "decode.h"
#include "finder.h"
#include "frameimage.h"
#include "modelnames.h"
#include "outputname.h"
#include "profileimage.h"
#include "rawinput.h"
#include "utf8path.h"

namespace {

void complain(const std::string& what, const std::string& reason) {
  std::fprintf(stderr, "imag2png: %s: %s\n", what.c_str(), reason.c_str());
}

std::string hex(long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

std::span<const std::uint8_t> spanOf(ByteView bytes) {
  return {bytes.data(), static_cast<std::size_t>(bytes.size())};
}

// Picture `index` of a find in the profile chosen for it, and what to say about it.
DecodeStatus pictureImage(ByteView bytes, const ScanRequest& request, int index,
                          ProfiledImage& picture) {
  AccurateConversion how = request.conversion;
  how.picture = index;
  return profiledImage(spanOf(bytes), request.profile, how, false, picture);
}

class Converter {
 public:
  explicit Converter(const ScanRequest& request) : request_(request) {}

  FolderSyncs folderSyncs;  // each output folder synced once, after all its pictures

  // Converts the pictures of one find; false when any failed.
  bool convertFind(const std::string& input, const FoundPicture& found, ByteView bytes) {
    namespace fs = std::filesystem;
    const fs::path folder =
        request_.folder.empty() ? pathFromUtf8(input).parent_path() : pathFromUtf8(request_.folder);
    const char* extension = request_.format == ImageFormat::png ? ".png" : ".ppm";
    const int count = request_.all ? found.pictures : 1;
    bool allWritten = true;
    const std::string& image = found.image.empty() ? input : found.image;
    for (int index = 0; index < count; ++index) {
      const std::string output = utf8FromPath(
          folder / pathFromUtf8(scanOutputName(image, found.offset, index + 1, extension)));
      allWritten = convertOne(input, found, bytes, index, output) && allWritten;
    }
    return allWritten;
  }

 private:
  bool convertOne(const std::string& input, const FoundPicture& found, ByteView bytes, int index,
                  const std::string& output) {
    const std::string where = (found.image.empty() ? input : found.image) + "@" + hex(found.offset);
    ProfiledImage picture;
    const DecodeStatus status = pictureImage(bytes, request_, index, picture);
    const RgbImage& image = picture.image;
    if (status != DecodeStatus::ok) {
      complain(where, decodeStatusText(status));
      return false;
    }
    if (!written_.insert(output).second) {
      complain(where, "would overwrite " + output + ", written for an earlier picture");
      return false;
    }
    std::string error;
    const std::vector<std::uint8_t> encoded =
        encodeImage(image, request_.format, error, request_.pngLevel);
    if (encoded.empty() || !(error = writeFileAtomically(output, encoded, &folderSyncs)).empty()) {
      complain(output, error);
      return false;
    }
    AccurateOptions options;
    options.pictureIndex = index;
    AccurateSummary summary;
    describeAccurate(spanOf(bytes), options, summary);
    std::printf("%s %s %dx%d %s\n", hex(found.offset).c_str(),
                std::string(modelName(summary.model)).c_str(), image.width, image.height,
                output.c_str());
    for (const std::string& warning : picture.warnings)
      complain(where, warning);
    if (!found.note.empty()) complain(where, findNote(found));
    return true;
  }

  const ScanRequest& request_;
  std::set<std::string> written_;
};

}  // namespace

std::string findNote(const FoundPicture& found) {
  const bool greys = found.realTime && found.note.rfind("no palette", 0) == 0;
  return greys ? found.note + " (--palette FILE gives one)" : found.note;
}

std::string scanOptionsFor(const std::string& palette, bool& failed, ScanOptions& options) {
  if (!palette.empty()) {
    if (std::string error = readPaletteChunks(palette, options.palette); !error.empty()) {
      return palette + ": " + error;
    }
  }
  options.report = [&failed](const std::string& where, const std::string& what, bool fault) {
    complain(where, what);
    failed = failed || fault;
  };
  return "";
}

std::string scanOutputName(const std::string& input, long long offset, int picture,
                           const char* extension) {
  return pictureOutputPath(utf8FromPath(pathFromUtf8(input).filename()), {offset, picture},
                           extension);
}

int scanAndConvert(const ScanRequest& request, const std::vector<std::string>& paths) {
  bool passedOver = false;
  ScanOptions options;
  if (const std::string error = scanOptionsFor(request.palette, passedOver, options);
      !error.empty()) {
    complain("--palette", error);
    return 1;
  }
  removeTemporaryFileOnSignals();
  Converter converter(request);
  bool allConverted = true;
  for (const std::string& input : paths) {
    int finds = 0;
    const DecodeStatus status = scanFile(
        input.c_str(),
        [&](const FoundPicture& found, ByteView bytes) {
          ++finds;
          allConverted = converter.convertFind(input, found, bytes) && allConverted;
          std::fflush(stdout);
          return true;
        },
        nullptr, options);
    if (status != DecodeStatus::ok) {
      complain(input, decodeStatusText(status));
      allConverted = false;
    } else if (finds == 0) {
      complain(input, "no picture found");
      allConverted = false;
    }
  }
  if (const std::string error = converter.folderSyncs.syncAll(); !error.empty()) {
    std::fprintf(stderr, "imag2png: %s\n", error.c_str());
    allConverted = false;
  }
  return allConverted && !passedOver ? 0 : 1;
}
