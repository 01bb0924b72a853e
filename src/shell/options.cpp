#include "options.h"

#include <charconv>

#include "keytable.h"
#include "layout.h"

namespace {

bool parseZoom(const std::string& text, int& zoom) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return false;
  if (value < kMinZoom || value > kMaxZoom) return false;
  zoom = value;
  return true;
}

ViewerOptions usageError(std::string error) {
  ViewerOptions options;
  options.action = ViewerOptions::Action::usageError;
  options.error = std::move(error);
  return options;
}

}  // namespace

ViewerOptions parseViewerOptions(const std::vector<std::string>& args) {
  ViewerOptions options;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') break;
    if (arg == "--help" || arg == "-h") {
      options.action = ViewerOptions::Action::help;
      return options;
    }
    if (arg == "--version") {
      options.action = ViewerOptions::Action::version;
      return options;
    }
    if (arg == "--accurate" || arg == "--classic") {
      const ProfileMode mode = arg == "--accurate" ? ProfileMode::accurate : ProfileMode::classic;
      if (options.profile != ProfileMode::automatic && options.profile != mode) {
        return usageError("--classic and --accurate cannot be combined");
      }
      options.profile = mode;
    } else if (arg == "--fit") {
      options.fit = true;
    } else if (arg == "--fullscreen") {
      options.fullScreen = true;
    } else if (arg == "--scan") {
      options.scan = true;
    } else if (arg == "--zoom" || arg.starts_with("--zoom=")) {
      const bool joined = arg != "--zoom";
      if (!joined && i + 1 == args.size()) return usageError("--zoom needs a number");
      const std::string value = joined ? arg.substr(7) : args[++i];
      if (!parseZoom(value, options.zoom)) {
        return usageError("--zoom takes a whole number from 1 to 16, not '" + value + "'");
      }
    } else {
      return usageError("unknown option '" + arg + "'");
    }
  }
  options.arguments.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  return options;
}

std::string helpText() {
  return "Usage: dragndrop [OPTION]... [--] [FILE|FOLDER]...\n"
         "Shows CD-i IFF pictures (FORM or CAT of type IMAG). A folder adds the pictures in it.\n"
         "\n"
         "  --classic       show every picture in the classic 384 x 280 frame\n"
         "  --accurate      show every picture in the accurate profile, at its own size\n"
         "                  (without either, each picture gets the profile its header asks\n"
         "                  for; Tab switches to the other one for the files that follow)\n"
         "  --scan          list the pictures found anywhere in each file (ROM and memory\n"
         "                  dumps, disc images), each shown as FILE@0xOFFSET\n"
         "  --zoom N        start at N times the size (1 to 16)\n"
         "  --fit           fit the picture to the window\n"
         "  --fullscreen    start in full screen\n"
         "  --help          show this text and exit\n"
         "  --version       show the version and exit\n"
         "\n"
         "Keys:\n" +
         keyListText();
}
