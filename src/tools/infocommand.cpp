// imag2png --info: what each picture holds, as text or as JSON lines.

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "byteswap.h"
#include "filecopy.h"
#include "finder.h"
#include "modelnames.h"
#include "picturereach.h"
#include "picturewarnings.h"
#include "scancommand.h"

namespace {

struct Description {
  std::string path;
  std::optional<std::int64_t> offset;  // with --scan
  ContainerKind container = ContainerKind::none;
  int picture = 1;  // from 1
  AccurateSummary summary;
  DecodeStatus status = DecodeStatus::ok;
  bool complete = false;
  std::optional<std::int64_t> needed;  // IDAT bytes the model needs; unknown for run-length
  std::vector<std::string> warnings;
  ProfileChoice profile;
  const FoundPicture* found = nullptr;  // with --scan
};

void complain(const std::string& what, const std::string& reason) {
  std::fprintf(stderr, "imag2png: %s: %s\n", what.c_str(), reason.c_str());
}

// Lines of line size bytes; RGB555 holds them twice (upper bytes, then lower). The run-length
// models end lines with runs, so no size follows from the header.
std::optional<std::int64_t> bytesNeeded(const AccurateSummary& summary) {
  const std::int64_t lines = std::int64_t{summary.lineSize} * summary.height;
  if (summary.model >= 1 && summary.model <= 7) return summary.model == 2 ? 2 * lines : lines;
  return std::nullopt;
}

const char* containerName(ContainerKind kind) {
  return kind == ContainerKind::cat ? "CAT" : "FORM";
}

// One description per picture of the container at bytes[0]; `reach` is how far its chunks go.
std::vector<Description> describeContainer(const std::string& path, ProfileMode mode,
                                           std::optional<std::int64_t> offset, ByteView bytes,
                                           std::int64_t reach,
                                           const FoundPicture* found = nullptr) {
  const std::span<const std::uint8_t> file(bytes.data(), static_cast<std::size_t>(bytes.size()));
  const int count = std::max(accuratePictureCount(file), 1);
  const std::int64_t declared = bytes.has(0, 8) ? std::int64_t{byteswaplp(bytes.data() + 4)} : 0;
  std::vector<Description> out;
  for (int index = 0; index < count; ++index) {
    Description d;
    d.path = path, d.offset = offset, d.container = containerKind(bytes), d.picture = index + 1;
    d.found = found;
    AccurateOptions options;
    options.pictureIndex = index;
    DecodeStatus status = describeAccurate(file, options, d.summary);
    if (status == DecodeStatus::ok) {
      AccuratePicture picture;
      status = decodeAccurate(file, options, picture);
      d.complete = picture.complete;
    }
    d.status = status;
    d.profile = chooseProfile(file, mode, index);
    if (status == DecodeStatus::ok && d.profile.profile == Profile::classic &&
        d.summary.model == 9) {
      d.complete = !classicRl3EndsEarly(d.summary);
    }
    d.needed = bytesNeeded(d.summary);
    if (status != DecodeStatus::ok) {
      d.warnings.emplace_back(decodeStatusText(status));
    } else if (!d.summary.hasData) {
      d.warnings.emplace_back("no IDAT chunk: the picture is black");
    } else if (!d.complete) {
      d.warnings.emplace_back("the picture data ends early; the rest is black");
    }
    if (found != nullptr && !found->note.empty()) d.warnings.push_back(findNote(*found));
    if (declared + 8 < reach) {
      d.warnings.push_back("the container length says " + std::to_string(declared) +
                           " bytes; its chunks reach " + std::to_string(reach - 8));
    }
    out.push_back(std::move(d));
  }
  return out;
}

std::string asJson(const Description& d) {
  const AccurateSummary& s = d.summary;
  nlohmann::json line = {
      {"path", d.path},
      {"offset", d.offset.value_or(0)},
      {"container", containerName(d.container)},
      {"picture", d.picture},
      {"pictures", std::max(s.pictures, 1)},
      {"model", s.model},
      {"model_name", modelName(s.model)},
      {"width", s.width},
      {"height", s.height},
      {"line_size", s.lineSize},
      {"palette_entries", s.paletteCount},
      {"palette_offset", s.paletteChunks > 0 ? nlohmann::json(s.paletteFirst) : nlohmann::json()},
      {"data_bytes", s.dataBytes},
      {"data_needed", d.needed ? nlohmann::json(*d.needed) : nlohmann::json(nullptr)},
      {"complete", d.complete},
      {"profile", profileName(d.profile.profile)},
      {"profile_reason", profileReasonText(d.profile)},
      {"warnings", d.warnings},
  };
  if (d.found != nullptr) {
    line["byte_order"] = d.found->swapped ? "swapped" : "straight";
    if (d.found->realTime) {
      line["container"] = "real-time";
      line["rt_file"] = d.found->rt.file;
      line["rt_channel"] = d.found->rt.channel;
      line["rt_coding"] = d.found->rt.coding;
    }
  }
  // A path that is not UTF-8 is still written: its stray bytes become U+FFFD.
  return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string asText(const Description& d) {
  const AccurateSummary& s = d.summary;
  std::string text = d.path + ":";
  if (d.offset) {
    char hex[32];
    std::snprintf(hex, sizeof hex, " offset 0x%llx,", static_cast<long long>(*d.offset));
    text += hex;
  }
  if (d.found != nullptr && d.found->realTime) {
    char where[96];
    std::snprintf(where, sizeof where, " real-time, file %d, channel %d, coding 0x%02x,",
                  d.found->rt.file, d.found->rt.channel, d.found->rt.coding);
    text += where;
  }
  if (d.found != nullptr && d.found->swapped) text += " byte-swapped,";
  text += std::string(" ") + containerName(d.container) + ", picture " + std::to_string(d.picture) +
          " of " + std::to_string(std::max(s.pictures, 1));
  if (s.model != 0) {
    text += ", model " + std::to_string(s.model) + " " + std::string(modelName(s.model)) + ", " +
            std::to_string(s.width) + " x " + std::to_string(s.height) + ", line size " +
            std::to_string(s.lineSize) + ", ";
    text += s.paletteChunks == 0 ? std::string("no palette")
                                 : "palette " + std::to_string(s.paletteCount) + " entries from " +
                                       std::to_string(s.paletteFirst);
    text += ", IDAT " + std::to_string(s.dataBytes);
    text += d.needed ? " of " + std::to_string(*d.needed) + " bytes" : " bytes (run-length)";
    text += d.complete ? ", complete" : ", incomplete";
  }
  text += std::string(", ") + profileName(d.profile.profile) + " profile (" +
          profileReasonText(d.profile) + ")";
  for (const std::string& warning : d.warnings)
    text += "; warning: " + warning;
  return text;
}

// A file that gives no description: said on standard error, and in JSON on standard output too,
// so that a script reading the lines sees every file it named.
void refuse(const InfoRequest& request, const std::string& path, const std::string& reason) {
  complain(path, reason);
  if (!request.json) return;
  const nlohmann::json line = {{"path", path}, {"error", reason}};
  std::puts(line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

}  // namespace

int describePictures(const InfoRequest& request, const std::vector<std::string>& paths) {
  bool allDescribed = true, passedOver = false;
  ScanOptions options;
  if (const std::string error = scanOptionsFor(request.palette, passedOver, options);
      !error.empty()) {
    complain("--palette", error);
    return 1;
  }
  const auto print = [&](const std::vector<Description>& descriptions) {
    for (const Description& d : descriptions) {
      std::puts((request.json ? asJson(d) : asText(d)).c_str());
      allDescribed = d.status == DecodeStatus::ok && allDescribed;
    }
  };
  for (const std::string& path : paths) {
    if (request.scan) {
      int finds = 0;
      const DecodeStatus status = scanFile(
          path.c_str(),
          [&](const FoundPicture& found, ByteView bytes) {
            ++finds;
            const std::string& image = found.image.empty() ? path : found.image;
            print(describeContainer(image, request.profile, found.offset, bytes, found.length,
                                    &found));
            return true;
          },
          nullptr, options);
      if (status != DecodeStatus::ok || finds == 0) {
        refuse(request, path,
               status != DecodeStatus::ok ? decodeStatusText(status) : "no picture found");
        allDescribed = false;
      }
      continue;
    }
    FileCopy copy;
    DecodeStatus status = readFileCopy(path.c_str(), kMaxFileBytes, copy);
    const ByteView bytes = copy.view();
    const ContainerKind kind =
        status == DecodeStatus::ok ? containerKind(bytes) : ContainerKind::none;
    if (status == DecodeStatus::ok && kind == ContainerKind::none) {
      status =
          bytes.size() < kContainerHeaderBytes ? DecodeStatus::tooShort : DecodeStatus::notCdiImage;
    }
    if (status != DecodeStatus::ok) {
      refuse(request, path, decodeStatusText(status));
      allDescribed = false;
      continue;
    }
    print(describeContainer(path, request.profile, std::nullopt, bytes,
                            pictureReach(bytes, kind, true).extent));
  }
  return allDescribed && !passedOver ? 0 : 1;
}
