// png2imag: writes a PNG image as a CD-i IFF picture of a chosen model.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "atomicwrite.h"
#include "pictureencoder.h"
#include "pngread.h"

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;
constexpr int kLargestScreenWidth = 768, kLargestScreenHeight = 560;  // double resolution

constexpr char kHelp[] =
    "Usage: png2imag INPUT.png OUTPUT --model MODEL [--classic]\n"
    "\n"
    "Writes a PNG image as a CD-i IFF picture (FORM IMAG) of picture model MODEL:\n"
    "\n"
    "  dyuv          delta-coded YUV. Each pair of pixels takes the steps whose decoded\n"
    "                colours come closest to the image; every line starts from the colour\n"
    "                of its first pixel (in IHDR when all lines agree, otherwise in YUVS)\n"
    "  rgb555        5 bits a channel; the upper bytes of all lines, then the lower bytes\n"
    "  rgb888        8 bits a channel\n"
    "  clut8, clut7  palette indices for 256 and 128 colours, a byte a pixel\n"
    "  clut4, clut3  palette indices for 16 and 8 colours, two pixels a byte\n"
    "  rl7, rl3      run-length coded indices for 128 and 8 colours; RL3 codes pairs\n"
    "\n"
    "The palette models take the image's own colours, exactly: an indexed PNG keeps its\n"
    "palette's numbers when they fit. An image with more colours than the model holds is\n"
    "refused; reduce it first, for example with 'pngquant 16 INPUT.png' for CLUT4.\n"
    "Transparency is dropped, and 16-bit channels keep their upper 8 bits.\n"
    "\n"
    "  --model MODEL the picture model, one of the above\n"
    "  --classic     write the layout the viewer's classic frame shows right: CLUT4 and RL3\n"
    "                at one pixel a byte, DYUV for its colour conversion, at most 384 x 280.\n"
    "                RGB888, RGB555 and CLUT3 have no classic layout\n"
    "  -h, --help    show this help\n"
    "  --version     show the version\n"
    "\n"
    "OUTPUT is written whole or not at all: a temporary file beside it is renamed over it\n"
    "when complete, and only when the picture made decodes whole in the profile of its\n"
    "layout. OUTPUT - is standard output. An image larger than any CD-i screen (768 x 560)\n"
    "is converted with a warning.\n"
    "\n"
    "Exit status: 0 when the picture was written, 1 when it was not (one line on standard\n"
    "error: png2imag: PATH: reason), 2 when the command line is wrong.\n";

int complain(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "png2imag: %s: %s\n", path.c_str(), reason.c_str());
  return kExitFailed;
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "png2imag: %s\nTry 'png2imag --help' for more information.\n",
               message.c_str());
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  std::string modelName;
  bool classic = false, onlyPaths = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (onlyPaths || arg == "-" || arg.empty() || arg[0] != '-') {
      paths.emplace_back(arg);
    } else if (arg == "--") {
      onlyPaths = true;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (arg == "--version") {
      std::puts("png2imag " PELMORA_VERSION);
      return kExitOk;
    } else if (arg == "--classic") {
      classic = true;
    } else if (arg == "--model") {
      if (i + 1 >= argc) return usageError("--model needs a value");
      modelName = argv[++i];
    } else {
      return usageError("unknown option '" + std::string(arg) + "'");
    }
  }
  if (paths.size() != 2) return usageError("give one INPUT.png and one OUTPUT");
  if (modelName.empty()) return usageError("no --model given (" + modelNames() + ")");
  const std::optional<ModelInfo> model = modelNamed(modelName);
  if (!model) return usageError("unknown model '" + modelName + "' (" + modelNames() + ")");

  const std::string& input = paths[0];
  const std::string& output = paths[1];
  std::error_code error;
  if (std::filesystem::equivalent(input, output, error) && !error) {
    return complain(output, "is the input file; refusing to overwrite it");
  }
  removeTemporaryFileOnSignals();
  PngPicture png;
  if (const std::string reason = readPng(input, png); !reason.empty()) {
    return complain(input, reason);
  }
  const EncodedPicture picture =
      encodePicture(png.picture, png.indexed ? &png.palette : nullptr, *model,
                    classic ? PictureLayout::classic : PictureLayout::accurate);
  if (picture.file.empty()) return complain(input, picture.error);
  const std::string reason =
      output == "-" ? writeStandardOutput(picture.file) : writeFileAtomically(output, picture.file);
  if (!reason.empty()) {
    return complain(output, reason);
  }
  if (png.picture.width > kLargestScreenWidth || png.picture.height > kLargestScreenHeight) {
    complain(input, "the image is " + std::to_string(png.picture.width) + " x " +
                        std::to_string(png.picture.height) +
                        ", larger than any CD-i screen (768 x 560); converted all the same");
  }
  return kExitOk;
}
