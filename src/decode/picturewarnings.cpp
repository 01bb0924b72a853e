#include "picturewarnings.h"

#include "accurate.h"
#include "byteswap.h"
#include "container.h"
#include "modelnames.h"
#include "picturereach.h"
#include "rl3codings.h"

namespace {

// Judging the classic frame costs an accurate decode of at most this many pixels; larger
// pictures are judged by their header alone.
constexpr std::uint64_t kProbePixels = std::uint64_t{1} << 20;

constexpr char kEndsEarly[] = "the picture data ends early";

}  // namespace

std::string classicWarning(std::span<const std::uint8_t> file, FrameCoverage coverage) {
  const bool drawn = coverage.width > 0 && coverage.height > 0;
  AccurateOptions options;
  options.maxPixels = kProbePixels;
  AccurateSummary header;
  const DecodeStatus status = describeAccurate(file, options, header);
  const bool picture =
      header.hasData && (status == DecodeStatus::ok || status == DecodeStatus::pictureTooLarge);
  if (!drawn) {
    if (!picture) return "no picture data";
    return std::string("the classic frame shows nothing of this ") +
           std::string(modelName(header.model)) + " picture; the accurate profile shows it";
  }
  if (status != DecodeStatus::ok || !header.hasData) return "";
  if (header.model == 9) return classicRl3EndsEarly(header) ? kEndsEarly : "";
  AccuratePicture probe;
  if (decodeAccurate(file, options, probe) != DecodeStatus::ok) return "";
  return probe.complete ? "" : kEndsEarly;
}

bool classicRl3EndsEarly(const AccurateSummary& header) {
  return rl3Fit(header.data, header.lineSize, header.height, Rl3Coding::classic) ==
         Rl3Fit::endsEarly;
}

std::string containerWarning(std::span<const std::uint8_t> file) {
  const ByteView bytes(file);
  const ContainerKind kind = containerKind(bytes);
  if (kind == ContainerKind::none) return "";
  const std::int64_t declared = byteswaplp(file.data() + 4);
  const std::int64_t reach = pictureReach(bytes, kind, true).extent;
  if (declared + 8 >= reach) return "";
  return "the container length says " + std::to_string(declared) + " bytes; its chunks reach " +
         std::to_string(reach - 8);
}

std::vector<std::string> pictureWarnings(std::span<const std::uint8_t> file, bool accurate,
                                         bool complete, FrameCoverage coverage) {
  std::vector<std::string> warnings;
  std::string first = accurate ? (complete ? "" : kEndsEarly) : classicWarning(file, coverage);
  if (!first.empty()) warnings.push_back(std::move(first));
  if (std::string container = containerWarning(file); !container.empty()) {
    warnings.push_back(std::move(container));
  }
  return warnings;
}
