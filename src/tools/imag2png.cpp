// imag2png: converts CD-i IFF pictures to PNG or PPM, showing exactly the 384 x 280 frame the
// viewer shows for them.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "accurateimage.h"
#include "atomicwrite.h"
#include "batchrun.h"
#include "decode.h"
#include "filecopy.h"
#include "frameimage.h"
#include "imageencode.h"
#include "outputname.h"
#include "profileimage.h"
#include "rawinput.h"
#include "scancommand.h"
#include "utf8path.h"

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;
constexpr int kMaxThreads = 64;

constexpr char kHelp[] =
    "Usage: imag2png [PROFILE] [--crop] [--aspect] [--interpolate] [--all] INPUT [OUTPUT]\n"
    "  or:  imag2png [PROFILE] [--crop] [--aspect] [--interpolate] [--all] -o FOLDER INPUT...\n"
    "  or:  imag2png --scan [PROFILE] [-o FOLDER] [--all] FILE...\n"
    "  or:  imag2png --info [PROFILE] [--json] [--scan] FILE...\n"
    "  or:  imag2png --raw MODEL:WIDTHxHEIGHT [--palette FILE] [--start Y,U,V] INPUT [OUTPUT]\n"
    "\n"
    "Converts CD-i IFF pictures (FORM or CAT of type IMAG) to PNG or PPM images that show\n"
    "exactly what the viewer shows for them. Each picture gets the profile its header asks\n"
    "for, as in the viewer: the classic 384 x 280 frame when the header fits it (palette from\n"
    "entry 0, a byte a pixel, the line size equal to the width, no YUVS, a model the frame\n"
    "shows, no larger than the frame), otherwise the accurate picture at its own size.\n"
    "PROFILE, --classic or --accurate, forces one profile for every picture.\n"
    "\n"
    "  OUTPUT        the image to write; its extension names the format: .png or .ppm\n"
    "                (binary P6). Without OUTPUT, INPUT's name with .png added is written\n"
    "                beside it (pic.img -> pic.img.png).\n"
    "  -o FOLDER     convert every INPUT into FOLDER, as NAME.png for an INPUT named NAME;\n"
    "                FOLDER is created when the folder it is in exists\n"
    "  -f, --format png|ppm\n"
    "                write this format whatever the extension (OUTPUT - is standard output)\n"
    "  --crop        write only the part of the classic frame the picture covered\n"
    "  --classic     always write the viewer's classic 384 x 280 frame\n"
    "  --accurate    always decode pictures as CD-i authoring tools wrote them, at their own\n"
    "                size (width x height from the header, up to 64 Mpixels), instead of\n"
    "                the viewer's frame. RGB555 (model 2) takes the upper bytes of all lines\n"
    "                first, then the lower bytes; CLUT3 (model 7) is read as CLUT4 with 3-bit\n"
    "                indices. Both layouts are inferred: no sample file confirms them.\n"
    "  --aspect      accurate pictures: show pixels as a CD-i screen did. Normal-resolution\n"
    "                pictures (all models but CLUT4, CLUT3 and RL3) are written twice as\n"
    "                wide, each pixel doubled, so that they line up with double-resolution\n"
    "                ones, which are written as they are\n"
    "  --interpolate accurate pictures: DYUV pictures give the first pixel of each pair the\n"
    "                mean of the chroma of its pair and the pair before\n"
    "  --all         write every picture of a CAT, numbered from 1 before the output's\n"
    "                extension (out.png -> out-1.png, out-2.png, ...); the pictures after\n"
    "                the first are accurate, as the classic frame shows the first only\n"
    "  --raw MODEL:WIDTHxHEIGHT\n"
    "                INPUT is headerless picture data (as ripped from a disc), decoded as\n"
    "                --accurate decodes it. MODEL: dyuv, rgb555, rgb888, clut8, clut7, clut4,\n"
    "                clut3, rl7 or rl3; lines are the model's natural size\n"
    "  --palette FILE  with --raw, --scan or --info: the palette (of real-time pictures with\n"
    "                --scan), from a file of RGB triplets or from the PLTE chunks of a CD-i\n"
    "                IFF file (without it: greys, black to white)\n"
    "  --start Y,U,V with --raw: where DYUV lines start (without it: 16,128,128)\n"
    "  --scan        find every picture anywhere in each FILE (a ROM or memory dump, a raw CD\n"
    "                image of 2352- or 2336-byte sectors, whose user data is joined first) and\n"
    "                write each as FOLDER/NAME@0xOFFSET.png, OFFSET being where its header\n"
    "                stands in FILE (beside FILE without -o). One line per picture written:\n"
    "                offset, model, size, output. Container lengths are not trusted: a\n"
    "                picture reaches as far as its chunks; each is read up to 64 MiB.\n"
    "                Each picture gets its profile as above (--aspect and --interpolate\n"
    "                apply); with --all every picture of a CAT, as NAME@0xOFFSET-2.png and\n"
    "                on. Exit status 1\n"
    "                when a FILE holds no picture or one failed\n"
    "                Also found: the video sectors of real-time files in sector images\n"
    "                (OFFSET: where the first sector's data starts), pictures stored with the\n"
    "                bytes of every 16-bit word swapped (ROM dumps), and the data tracks of\n"
    "                the BIN files a cue sheet (FILE.cue) names, written as BIN@0xOFFSET.png\n"
    "  --info        describe each picture, one line each, without converting it: path,\n"
    "                offset (with --scan), container, model, width x height, line size,\n"
    "                palette entries and first entry, picture of pictures in a CAT, IDAT\n"
    "                bytes held of those needed (not fixed for run-length models), whether\n"
    "                the data is complete, the profile and why, and warnings\n"
    "  --json        with --info: one JSON object a line, with the keys path, offset,\n"
    "                container, picture, pictures, model, model_name, width, height,\n"
    "                line_size, palette_entries, palette_offset, data_bytes, data_needed\n"
    "                (null for run-length), complete, profile, profile_reason and warnings;\n"
    "                with --scan also byte_order (straight or swapped), and for real-time\n"
    "                pictures container \"real-time\", rt_file, rt_channel and rt_coding;\n"
    "                a file that is refused gives {\"path\", \"error\"}\n"
    "  --level N     PNG compression from 0 (fastest) to 9 (smallest: tries several filter\n"
    "                strategies and keeps the smallest file); default 3\n"
    "  -j N          convert N inputs at a time (default: one more than the processors);\n"
    "                messages come in input order all the same\n"
    "  -h, --help    show this help\n"
    "  --version     show the version\n"
    "\n"
    "An output is written whole or not at all: a temporary file beside it is renamed over it\n"
    "when complete. An input is never overwritten, and a refused input writes nothing.\n"
    "\n"
    "Exit status: 0 when every input converted, 1 when any failed (one line each on\n"
    "standard error: imag2png: PATH: reason), 2 when the command line is wrong.\n";

struct Options {
  bool crop = false;
  ProfileMode profile = ProfileMode::automatic;
  bool all = false;  // every picture of a CAT
  bool scan = false, info = false, json = false;
  AccurateConversion conversion;
  RawOptions raw;
  bool haveFormat = false;
  ImageFormat format = kDefaultFormat;
  std::string folder;  // -o
  std::vector<std::string> paths;
  int pngLevel = kDefaultPngLevel;
  int threads = 0;                     // -j; 0: defaultTurns()
  FolderSyncs* folderSyncs = nullptr;  // folders synced once, after every rename into them
};

struct Job {
  std::string input;
  std::string output;
  ImageFormat format;
};

void complain(const std::string& path, const std::string& reason) {
  reportMessage("imag2png: " + path + ": " + reason + "\n");
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "imag2png: %s\nTry 'imag2png --help' for more information.\n",
               message.c_str());
  return kExitUsage;
}

bool formatFromWord(std::string_view word, ImageFormat& format) {
  if (word == "png")
    format = ImageFormat::png;
  else if (word == "ppm")
    format = ImageFormat::ppm;
  else
    return false;
  return true;
}

// The format a file name's extension names, in either case.
bool formatFromName(std::string_view name, ImageFormat& format) {
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension(name.substr(dot + 1));
  for (char& c : extension)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return formatFromWord(extension, format);
}

int checkScanOptions(const Options& options) {
  if (options.crop) return usageError("--crop does not go with --scan or --info");
  if (options.info && (options.all || !options.folder.empty() || options.haveFormat)) {
    return usageError("--info writes no images");
  }
  if (options.json && !options.info) return usageError("--json needs --info");
  return -1;
}

bool numberFromWord(const std::string& word, int lowest, int highest, int& number) {
  if (word.empty() || word.size() > 3 || word.find_first_not_of("0123456789") != word.npos) {
    return false;
  }
  number = std::stoi(word);
  return number >= lowest && number <= highest;
}

// Parses argv into options; returns -1 to go on, or the exit status.
int parse(int argc, char** argv, Options& options) {
  bool onlyPaths = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (onlyPaths || arg == "-" || arg.empty() || arg[0] != '-') {
      options.paths.emplace_back(arg);
    } else if (arg == "--") {
      onlyPaths = true;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kHelp, stdout);
      if (!kCanWritePng) std::puts("\nThis build writes PPM only: it has no PNG library.");
      return kExitOk;
    } else if (arg == "--version") {
      std::puts("imag2png " PELMORA_VERSION);
      return kExitOk;
    } else if (arg == "--crop") {
      options.crop = true;
    } else if (arg == "--accurate" || arg == "--classic") {
      const ProfileMode mode = arg == "--accurate" ? ProfileMode::accurate : ProfileMode::classic;
      if (options.profile != ProfileMode::automatic && options.profile != mode) {
        return usageError("--classic and --accurate cannot be combined");
      }
      options.profile = mode;
    } else if (arg == "--aspect") {
      options.conversion.aspect = true;
    } else if (arg == "--all") {
      options.all = true;
    } else if (arg == "--scan") {
      options.scan = true;
    } else if (arg == "--info") {
      options.info = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--interpolate") {
      options.conversion.interpolate = true;
    } else if (arg == "--raw" || arg == "--palette" || arg == "--start") {
      if (i + 1 >= argc) return usageError(std::string(arg) + " needs a value");
      options.raw.take(std::string(arg), argv[++i]);
    } else if (arg == "-o" || arg == "-f" || arg == "--format" || arg == "-j" || arg == "--level") {
      if (i + 1 >= argc) return usageError(std::string(arg) + " needs a value");
      const std::string value = argv[++i];
      if (arg == "-j" || arg == "--level") {
        const int highest = arg == "-j" ? kMaxThreads : kMaxPngLevel;
        const int lowest = arg == "-j" ? 1 : 0;
        int& number = arg == "-j" ? options.threads : options.pngLevel;
        if (!numberFromWord(value, lowest, highest, number)) {
          return usageError(std::string(arg) + " takes a whole number from " +
                            std::to_string(lowest) + " to " + std::to_string(highest));
        }
      } else if (arg == "-o") {
        options.folder = value;
      } else if (!formatFromWord(value, options.format)) {
        return usageError("unknown format '" + value + "' (png or ppm)");
      } else {
        options.haveFormat = true;
      }
    } else {
      return usageError("unknown option '" + std::string(arg) + "'");
    }
  }
  if (options.paths.empty()) return usageError("no input given");
  if (options.crop && options.profile == ProfileMode::accurate) {
    return usageError("--crop and --accurate cannot be combined");
  }
  if (const std::string error = checkRawOptions(
          options.raw,
          options.crop || options.profile != ProfileMode::automatic || options.scan || options.info,
          options.scan || options.info);
      !error.empty()) {
    return usageError(error);
  }
  if ((options.conversion.aspect || options.conversion.interpolate || options.all) &&
      options.profile == ProfileMode::classic) {
    return usageError("--aspect, --interpolate and --all do not go with --classic");
  }
  if (options.scan || options.info || options.json) return checkScanOptions(options);
  if (options.all && options.folder.empty() && options.paths.size() == 2 &&
      options.paths[1] == "-") {
    return usageError("--all writes files: it cannot write to standard output");
  }
  return -1;
}

// Turns options into one job per input; returns -1 to go on, or the exit status.
int plan(const Options& options, std::vector<Job>& jobs) {
  namespace fs = std::filesystem;
  if (!options.folder.empty()) {
    const ImageFormat format = options.haveFormat ? options.format : kDefaultFormat;
    const char* extension = format == ImageFormat::png ? ".png" : ".ppm";
    for (const std::string& input : options.paths) {
      const fs::path name = pathFromUtf8(input).filename();
      jobs.push_back(
          {input,
           pictureOutputPath(utf8FromPath(pathFromUtf8(options.folder) / name), {}, extension),
           format});
    }
    return -1;
  }
  if (options.paths.size() > 2)
    return usageError("too many paths (use -o FOLDER for several inputs)");
  const std::string& input = options.paths[0];
  if (options.paths.size() == 1) {
    const ImageFormat format = options.haveFormat ? options.format : kDefaultFormat;
    jobs.push_back({input,
                    pictureOutputPath(input, {}, format == ImageFormat::png ? ".png" : ".ppm"),
                    format});
    return -1;
  }
  Job job{input, options.paths[1], options.format};
  if (!options.haveFormat && job.output != "-" && !formatFromName(job.output, job.format)) {
    return usageError("cannot tell the format of '" + job.output +
                      "': name it .png or .ppm, or use --format");
  }
  jobs.push_back(job);
  return -1;
}

bool writeImage(const Job& job, const RgbImage& image, const Options& options,
                bool finishLater = true);

// -o FOLDER: an existing folder, or one made in an existing folder (and said so). Returns "" or
// why there is none.
std::string prepareFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  fs::path path = pathFromUtf8(folder);
  if (fs::is_directory(path)) return "";
  if (!path.has_filename()) path = path.parent_path();  // "pngs/"
  std::error_code error;
  const fs::path parent = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  if (fs::exists(fs::symlink_status(path, error)) || !fs::is_directory(parent, error)) {
    return "not a folder";
  }
  if (!fs::create_directory(path, error)) return "cannot create the folder: " + error.message();
  std::fprintf(stderr, "imag2png: %s: folder created\n", folder.c_str());
  return "";
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(pathFromUtf8(a), pathFromUtf8(b), error) && !error;
}

// Picture how.picture of the input in the profile chosen for it; complains and returns false
// on failure, says every warning on the way.
bool pictureInput(const Job& job, const FileCopy& file, const Options& options,
                  const AccurateConversion& how, RgbImage& image) {
  ProfiledImage picture;
  const DecodeStatus status = profiledImage({file.bytes.get(), static_cast<std::size_t>(file.size)},
                                            options.profile, how, options.crop, picture);
  for (const std::string& warning : picture.warnings)
    complain(job.input, warning);
  if (status == DecodeStatus::noPicture && options.crop &&
      picture.choice.profile == Profile::classic) {
    complain(job.input, "nothing to crop: the picture drew no pixel of the frame");
    return false;
  }
  if (status != DecodeStatus::ok) {
    complain(job.input, decodeStatusText(status));
    return false;
  }
  image = std::move(picture.image);
  return true;
}

// Every picture of the input (--all), numbered from 1; complains and returns false when any
// fails.
bool convertAll(const Job& job, const FileCopy& file, const Options& options) {
  AccurateConversion how = options.conversion;
  const int count = accuratePictureCount({file.bytes.get(), static_cast<std::size_t>(file.size)});
  if (count == 0) {
    complain(job.input, decodeStatusText(DecodeStatus::noPicture));
    return false;
  }
  bool allWritten = true;
  for (int picture = 0; picture < count; ++picture) {
    Job one = job;
    one.output = numberedOutput(job.output, picture + 1);
    how.picture = picture;
    RgbImage image;
    if (sameFile(one.input, one.output)) {
      complain(one.output, "is the input file; refusing to overwrite it");
      allWritten = false;
    } else {
      allWritten = pictureInput(one, file, options, how, image) &&
                   writeImage(one, image, options, false) && allWritten;
    }
  }
  return allWritten;
}

// Converts one input; complains and returns false on failure.
bool convert(const Job& job, const Options& options) {
  if (job.output != "-" && sameFile(job.input, job.output)) {
    complain(job.output, "is the input file; refusing to overwrite it");
    return false;
  }
  if (options.raw.active()) {
    RgbImage image;
    bool complete = false;
    const std::string error = rawImage(job.input, options.raw, image, complete);
    if (!error.empty()) complain(job.input, error);
    if (!complete && error.empty())
      complain(job.input, "warning: the data ends early; the rest is black");
    return error.empty() && writeImage(job, image, options);
  }
  FileCopy file;
  const DecodeStatus status = readFileCopy(job.input.c_str(), kMaxFileBytes, file);
  if (status != DecodeStatus::ok) {
    complain(job.input, decodeStatusText(status));
    return false;
  }
  if (options.all) return convertAll(job, file, options);
  RgbImage image;
  if (!pictureInput(job, file, options, options.conversion, image)) return false;
  const int pictures =
      accuratePictureCount({file.bytes.get(), static_cast<std::size_t>(file.size)});
  if (pictures > 1 && options.profile != ProfileMode::classic) {
    complain(job.input,
             "picture 1 of " + std::to_string(pictures) + " written; --all writes every picture");
  }
  return writeImage(job, image, options);
}

// Encodes and writes one image; complains and returns false on failure. With `finishLater` the
// wait for the disk comes after the conversion has freed its picture, and may fail then.
bool writeImage(const Job& job, const RgbImage& image, const Options& options, bool finishLater) {
  std::string error;
  const std::vector<std::uint8_t> encoded = encodeImage(image, job.format, error, options.pngLevel);
  if (encoded.empty()) {
    complain(job.output, error);
    return false;
  }
  if (job.output == "-") {
    error = writeStandardOutput(encoded);
  } else {
    auto file = std::make_shared<PendingFile>();
    error = file->begin(job.output, encoded);
    if (error.empty()) {
      auto finish = [file, output = job.output, syncs = options.folderSyncs] {
        const std::string error = file->finish(syncs);
        if (!error.empty()) complain(output, error);
        return error.empty();
      };
      if (!finishLater) return finish();
      afterTurn(std::move(finish));
      return true;
    }
  }
  if (!error.empty()) {
    complain(job.output, error);
    return false;
  }
  return true;
}

// The path as one spelling: absolute, without "." or "..".
std::string normalPath(const std::string& path) {
  std::error_code error;
  return utf8FromPath(std::filesystem::absolute(pathFromUtf8(path), error).lexically_normal());
}

// Converts every job, options.threads at a time; false when any failed.
bool convertBatch(const std::vector<Job>& jobs, const Options& options) {
  // Outputs already taken by an earlier input are refused before any conversion starts.
  std::vector<bool> refused(jobs.size());
  std::set<std::string> written, outputs;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    refused[i] = jobs[i].output != "-" && !written.insert(jobs[i].output).second;
    outputs.insert(normalPath(jobs[i].output));
  }
  int turns = options.threads > 0 ? options.threads : defaultTurns();
  // A batch that reads one of its own outputs depends on the order of conversions: it runs one
  // after another, each finished before the next starts.
  for (const Job& job : jobs) {
    if (outputs.count(normalPath(job.input)) != 0) turns = 0;
  }
  return runBatch(jobs.size(), std::min(turns, kMaxThreads), [&](std::size_t i) {
    if (refused[i]) {
      complain(jobs[i].input,
               "would overwrite " + jobs[i].output + ", written for an earlier input");
      return false;
    }
    return convert(jobs[i], options);
  });
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int exit = parse(argc, argv, options); exit >= 0) return exit;
  if (options.info) {
    return describePictures({options.json, options.scan, options.raw.palette, options.profile},
                            options.paths);
  }
  if (!options.folder.empty()) {
    if (const std::string error = prepareFolder(options.folder); !error.empty()) {
      complain(options.folder, error);
      return kExitFailed;
    }
  }
  if (options.scan) {
    return scanAndConvert({options.folder, options.all, options.profile, options.conversion,
                           options.format, options.pngLevel, options.raw.palette},
                          options.paths);
  }
  std::vector<Job> jobs;
  if (const int exit = plan(options, jobs); exit >= 0) return exit;
  removeTemporaryFileOnSignals();
  FolderSyncs folderSyncs;
  options.folderSyncs = &folderSyncs;
  const bool allConverted = convertBatch(jobs, options);
  if (const std::string error = folderSyncs.syncAll(); !error.empty()) {
    std::fprintf(stderr, "imag2png: %s\n", error.c_str());
    return kExitFailed;
  }
  return allConverted ? kExitOk : kExitFailed;
}
