#include "viewercore.h"

#include <algorithm>
#include <filesystem>

#include "outputname.h"
#include "picturewarnings.h"
#include "utf8path.h"

std::string commandLineText(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

std::string argvlineFrom(const char* lpszCmdParam) {
  if (lpszCmdParam == nullptr) return {};
  std::string_view text(lpszCmdParam);
  if (!text.empty() && text.front() == '"') {
    text.remove_prefix(1);
    if (!text.empty()) text.remove_suffix(1);  // a lone quote leaves nothing to cut
  }
  return std::string(text);
}

namespace {

// Length of the valid UTF-8 sequence at the start of s, or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string validUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = utf8SequenceLength(text);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD for the one bad byte
      text.remove_prefix(1);
    } else {
      out += text.substr(0, length);
      text.remove_prefix(length);
    }
  }
  return out;
}

namespace {

std::span<const std::uint8_t> bytesOf(const FileCopy& copy) {
  return {copy.bytes.get(), static_cast<std::size_t>(copy.size)};
}

}  // namespace

ViewerCore::ViewerCore(std::string argvline, FileSource& files, PictureSaver& saver)
    : source_(files), saver_(saver), argvline_(std::move(argvline)) {
  if (!argvline_.empty()) files_ = FileList({argvline_});
}

ViewerCore::ViewerCore(const ViewerOptions& options, FileSource& files, PictureSaver& saver)
    : source_(files),
      saver_(saver),
      files_(options.scan ? FileList(scanFiles(filesFromArguments(options.arguments)))
                          : FileList(filesFromArguments(options.arguments))),
      scan_(options.scan),
      profileMode_(options.profile) {
  if (!files_.empty()) argvline_ = files_.current();
  if (files_.empty() && !options.arguments.empty()) {
    std::string named;
    for (const std::string& argument : options.arguments)
      named += (named.empty() ? "" : " ") + argument;
    say("no CD-i pictures in " + named);
  }
  if (options.zoom != 1) mode_ = ViewMode{.zoom = options.zoom};
  if (options.fit) mode_ = ViewMode{.fit = true};
  if (options.fullScreen) fullScreenChanged(true);
}

ViewerCore::~ViewerCore() {
  releaseFrameBuffer();
}

void ViewerCore::onCreate() {
  dyuverrc = kViewerThreshold;
}

Reaction ViewerCore::setDesktopDpi(int dpi) {
  dpi_ = dpi > 0 ? dpi : 96;
  unit_ = unitForDpi(dpi_);
  Reaction reaction;
  reaction.repaint = true;
  if (!fullScreen_)
    reaction.resizeTo = mode_.fit || mode_.shrinkLarger ? minimumClient() : scaledSize();
  return reaction;
}

std::vector<std::string> ViewerCore::emptyHint() const {
  if (decoded_ || argvPending()) return {};
  return {std::begin(kEmptyHint), std::end(kEmptyHint)};
}

// Moving to another picture: what was said about the one before no longer holds.
void ViewerCore::leavePicture() {
  message_.clear();
  ++generation_;
}

Reaction ViewerCore::onCommand(int id) {
  if (id != IDM_DECODE_ARGV) return {};
  if (!files_.empty() && files_.current() == argvline_) return decodeCurrent(false);
  return decode(argvline_, false);
}

Reaction ViewerCore::onDrop(const std::vector<std::string>& paths) {
  if (paths.empty()) return {};
  std::vector<std::string> files = source_.expandFolders(paths);
  // A folder with no pictures is tried as it stands, and refused as a drop of a folder was.
  if (files.empty()) files = paths;
  files_ = scan_ ? FileList(scanFiles(files)) : FileList(std::move(files));
  return decodeCurrent(true);
}

Reaction ViewerCore::addDropped(const std::string& path) {
  if (scan_) {
    files_.append(scanFiles(source_.expandFolders({path})));
  } else {
    for (std::string& file : source_.expandFolders({path}))
      files_.append(std::move(file));
  }
  Reaction reaction;
  reaction.repaint = panel_;  // the panel shows the list's length
  return reaction;
}

std::string ViewerCore::caption(DecodeStatus status) const {
  std::string text = status == DecodeStatus::ok ? shownName() : std::string(szAppname);
  if (!accurate_) return text;
  if (info_.pictures <= 1) return text + kAccurateCaption;
  return text + " [accurate " + std::to_string(page_ + 1) + "/" + std::to_string(info_.pictures) +
         "]";
}

void ViewerCore::say(std::string text) {
  message_ = std::move(text);
  messageEnd_ = Clock::now() + kMessageDuration;
}

void ViewerCore::warn(Reaction& reaction, const std::string& path, const std::string& what) {
  reaction.report = path + ": " + what;
  say(utf8FromPath(pathFromUtf8(path).filename()) + ": " + what);
}

std::string ViewerCore::shownName() const {
  if (!scanned_ || scanned_->status != DecodeStatus::ok) return current_;
  // A find of a cue sheet is named by the BIN file it stands in.
  const std::string& image = scanned_->found.image;
  return foundName(image.empty() ? current_ : image, scanned_->found.offset);
}

Reaction ViewerCore::decodeCurrent(bool repaint) {
  return decode(files_.current(), repaint, files_.currentScan());
}

Reaction ViewerCore::decode(const std::string& path, bool repaint, const ScannedPicture* scanned) {
  leavePicture();
  current_ = path, decoded_ = true, page_ = 0, picture_ = AccuratePicture{}, info_ = PictureInfo{};
  scanned_.reset();
  if (scanned != nullptr) scanned_ = *scanned;
  Reaction reaction;
  reaction.repaint = repaint;
  if (scanned_) return shown(decodeFound(std::move(reaction)));
  FileCopy copy;
  const DecodeStatus read = source_.read(path, kMaxFileBytes, copy);
  if (read == DecodeStatus::ok) info_ = describePicture(copy.view(), 0);
  choose(bytesOf(copy));
  if (accurate_) {
    reaction = decodeAccuratePage(std::move(reaction), read == DecodeStatus::ok ? &copy : nullptr);
  } else {
    FrameCoverage coverage;
    status_ = read;
    if (status_ == DecodeStatus::ok) status_ = allocateFrameBuffer();
    if (status_ == DecodeStatus::ok) {
      status_ = decodeImageMemory(bytesOf(copy),
                                  std::span<std::uint8_t, kFrameBytes>(dyuvasbmpmem, kFrameBytes),
                                  dyuverrc, &coverage);
    }
    reaction.status = status_;
    if (status_ != DecodeStatus::ok) {
      warn(reaction, path, decodeStatusText(status_));
    } else {
      warn(reaction, path, pictureWarnings(bytesOf(copy), false, false, coverage));
    }
  }
  return shown(std::move(reaction));
}

// The caption, and the window's size at a manual zoom, for the picture just decoded.
Reaction ViewerCore::shown(Reaction reaction) {
  // The picture shows from now: its message lasts from here, however long the decode took.
  if (!message_.empty()) messageEnd_ = Clock::now() + kMessageDuration;
  reaction.setCaption = true;
  reaction.caption = caption(status_);
  if (!mode_.fit && !mode_.shrinkLarger && !fullScreen_) reaction.resizeTo = scaledSize();
  return reaction;
}

DecodeStatus ViewerCore::readFound(std::vector<std::uint8_t>& bytes) const {
  bytes.clear();
  if (scanned_->status != DecodeStatus::ok) return scanned_->status;
  return readFoundPicture(current_.c_str(), scanned_->found, bytes);
}

// A picture found inside a file: its bytes are read again and decoded in memory, as a file of
// their own would be.
Reaction ViewerCore::decodeFound(Reaction reaction) {
  std::vector<std::uint8_t> bytes;
  const DecodeStatus read = readFound(bytes);
  if (read != DecodeStatus::ok) {
    reaction.status = status_ = read;
    // Read, but nothing found in it: refused like a file that is no picture, with a black frame.
    if (read == DecodeStatus::noPicture && frame() != nullptr) {
      std::fill_n(dyuvasbmpmem, kShownBytes, 0);
    }
    warn(reaction, current_,
         read == DecodeStatus::noPicture ? "no picture found" : decodeStatusText(read));
    return reaction;
  }
  info_ = describePicture(ByteView(bytes), 0);
  choose(bytes);
  if (accurate_) return decodeAccuratePage(std::move(reaction));
  FrameCoverage coverage;
  status_ = allocateFrameBuffer();
  if (status_ == DecodeStatus::ok) {
    status_ =
        decodeImageMemory(bytes, std::span<std::uint8_t, kFrameBytes>(dyuvasbmpmem, kFrameBytes),
                          dyuverrc, &coverage);
  }
  reaction.status = status_;
  if (status_ != DecodeStatus::ok) {
    warn(reaction, shownName(), decodeStatusText(status_));
  } else {
    warn(reaction, shownName(), pictureWarnings(bytes, false, false, coverage));
  }
  return reaction;
}

Reaction ViewerCore::decodeAccuratePage(Reaction reaction, const FileCopy* copy) {
  AccurateOptions options;
  options.pictureIndex = page_;
  picture_ = AccuratePicture{};
  std::vector<std::uint8_t> found;
  FileCopy read;
  std::span<const std::uint8_t> bytes;
  if (scanned_) {
    status_ = readFound(found);
    bytes = found;
  } else if (copy != nullptr) {
    status_ = DecodeStatus::ok;
    bytes = bytesOf(*copy);
  } else {
    status_ = source_.read(current_, kMaxFileBytes, read);
    bytes = bytesOf(read);
  }
  if (status_ == DecodeStatus::ok) status_ = decodeAccurate(bytes, options, picture_);
  reaction.status = status_;
  if (status_ != DecodeStatus::ok) {
    warn(reaction, shownName(), decodeStatusText(status_));
  } else {
    warn(reaction, shownName(), pictureWarnings(bytes, true, picture_.complete, {}));
  }
  return reaction;
}

void ViewerCore::warn(Reaction& reaction, const std::string& path,
                      const std::vector<std::string>& warnings) {
  std::string what;
  for (const std::string& warning : warnings)
    what += (what.empty() ? "" : "; ") + warning;
  if (!what.empty()) warn(reaction, path, what);
}

void ViewerCore::choose(std::span<const std::uint8_t> file) {
  choice_ = chooseProfile(file, profileMode_, page_);
  accurate_ = choice_.profile == Profile::accurate;
}

Reaction ViewerCore::toggleProfile() {
  if (!decoded_) return {};
  profileMode_ = accurate_ ? ProfileMode::classic : ProfileMode::accurate;
  const std::optional<ScannedPicture> scanned = scanned_;
  return decode(current_, true, scanned ? &*scanned : nullptr);
}

Reaction ViewerCore::onKey(int key, int modifiers) {
  const KeyBinding* binding = findBinding(key, modifiers);
  return binding != nullptr ? run(binding->command, binding->argument) : Reaction{};
}

Reaction ViewerCore::run(ViewerCommand command, int argument) {
  Reaction reaction;
  switch (command) {
    case ViewerCommand::quit:
      reaction.quit = true;
      return reaction;
    case ViewerCommand::escape:
      if (fullScreen_) return toggleFullScreen();
      reaction.quit = true;
      return reaction;
    case ViewerCommand::navigate:
      return files_.move(argument) ? decodeCurrent(true) : reaction;
    case ViewerCommand::jump:
      return files_.jump(argument) ? decodeCurrent(true) : reaction;
    case ViewerCommand::zoom:
      return zoom(argument);
    case ViewerCommand::fit:
      if (mode_.fit) return reaction;
      mode_ = ViewMode{.fit = true};
      reaction.repaint = true;
      return reaction;
    case ViewerCommand::fullScreen:
      return toggleFullScreen();
    case ViewerCommand::profile:
      return toggleProfile();
    case ViewerCommand::page: {
      const int wanted = std::clamp(page_ + argument, 0, std::max(info_.pictures - 1, 0));
      if (profileMode_ == ProfileMode::classic || !decoded_ || wanted == page_) return reaction;
      if (wanted == 0 &&
          profileMode_ == ProfileMode::automatic) {  // the first may be classic again
        const std::optional<ScannedPicture> scanned = scanned_;
        return decode(current_, true, scanned ? &*scanned : nullptr);
      }
      page_ = wanted;
      leavePicture();
      if (scanned_) {
        std::vector<std::uint8_t> bytes;
        if (readFound(bytes) == DecodeStatus::ok) info_ = describePicture(ByteView(bytes), page_);
        choose(bytes);
        reaction.repaint = true;
        reaction = decodeAccuratePage(std::move(reaction));
      } else {
        FileCopy copy;
        const bool read = source_.read(current_, kMaxFileBytes, copy) == DecodeStatus::ok;
        if (read) info_ = describePicture(copy.view(), page_);
        choose(bytesOf(copy));
        reaction.repaint = true;
        reaction = decodeAccuratePage(std::move(reaction), read ? &copy : nullptr);
      }
      if (!message_.empty()) messageEnd_ = Clock::now() + kMessageDuration;
      reaction.setCaption = true;
      reaction.caption = caption(status_);
      return reaction;
    }
    case ViewerCommand::info:
      panel_ = !panel_;
      reaction.repaint = true;
      return reaction;
    case ViewerCommand::save:
      return save();
  }
  return reaction;
}

int ViewerCore::pictureWidth() const {
  return accurate_ ? picture_.width : kFrameWidth;
}

int ViewerCore::pictureHeight() const {
  return accurate_ ? picture_.height : kFrameHeight;
}

// The client area that shows the whole picture at the zoom, never smaller than the floor.
std::optional<ClientSize> ViewerCore::scaledSize() const {
  if (pictureWidth() <= 0 || pictureHeight() <= 0) return std::nullopt;
  // Larger than any screen anyway; the shell holds it to what the work area allows.
  const auto scaled = [&](int size, int least) {
    const std::int64_t shown = std::int64_t{size} * mode_.zoom * unit_;
    return static_cast<int>(std::clamp<std::int64_t>(shown, least, 16384));
  };
  const ClientSize least = minimumClient();
  return ClientSize{scaled(pictureWidth(), least.width), scaled(pictureHeight(), least.height)};
}

Reaction ViewerCore::zoom(int step) {
  Reaction reaction;
  if (step == 0) {
    mode_ = ViewMode{.shrinkLarger = true};
    reaction.repaint = true;
    if (!fullScreen_) reaction.resizeTo = minimumClient();
    return reaction;
  }
  int scale = mode_.zoom;
  if (mode_.fit) {  // from the zoom the fitted picture shows at, in whole units
    const Layout layout = pictureLayout();
    scale = layout.divisor > 1 ? 1 : std::max(layout.scale / unit_, 1);
  }
  const int wanted = std::clamp(scale + step, kMinZoom, kMaxZoom);
  if (wanted == mode_.zoom && !mode_.fit && !mode_.shrinkLarger) return reaction;
  mode_ = clampPan(ViewMode{.zoom = wanted, .panX = mode_.panX, .panY = mode_.panY}, pictureWidth(),
                   pictureHeight(), client_.width, client_.height, unit_);
  reaction.repaint = true;
  if (!fullScreen_) reaction.resizeTo = scaledSize();
  return reaction;
}

Reaction ViewerCore::toggleFullScreen() {
  fullScreenChanged(!fullScreen_);
  Reaction reaction;
  reaction.repaint = true;
  reaction.fullScreen = fullScreen_;
  return reaction;
}

void ViewerCore::fullScreenChanged(bool on) {
  if (on == fullScreen_) return;
  fullScreen_ = on;
  if (on) {
    windowedMode_ = mode_;
    mode_ = ViewMode{.fit = true};
  } else {
    mode_ = windowedMode_;
  }
}

Reaction ViewerCore::onDrag(int dx, int dy) {
  if (mode_.fit || mode_.shrinkLarger) return {};
  const ViewMode before = mode_;
  mode_.panX -= dx, mode_.panY -= dy;
  mode_ = clampPan(mode_, pictureWidth(), pictureHeight(), client_.width, client_.height, unit_);
  Reaction reaction;
  reaction.repaint = mode_.panX != before.panX || mode_.panY != before.panY;
  return reaction;
}

Reaction ViewerCore::onResize(int width, int height) {
  client_ = {width, height};
  if (!mode_.fit && !mode_.shrinkLarger) {
    mode_ = clampPan(mode_, pictureWidth(), pictureHeight(), width, height, unit_);
  }
  Reaction reaction;
  reaction.repaint = true;
  return reaction;
}

Layout ViewerCore::pictureLayout() const {
  ViewMode mode = mode_;
  mode.shrinkLarger = mode_.shrinkLarger && accurate_;  // the classic frame is cut, not shrunk
  return layoutPicture(pictureWidth(), pictureHeight(), client_.width, client_.height, mode, unit_);
}

PictureView ViewerCore::view() const {
  PictureView view;
  if (accurate_) {
    const AccuratePicture* picture = accuratePicture();
    if (picture == nullptr) return view;
    view.pixels = picture->rgb.data();
    view.width = picture->width, view.height = picture->height;
    view.pitch = picture->rowBytes();
  } else {
    if (frame() == nullptr) return view;
    view.pixels = frame();
    view.width = kFrameWidth, view.height = kFrameHeight;
    view.pitch = kFramePitch;
    view.bgr = true;
  }
  view.layout = pictureLayout();
  if (view.layout.divisor > 1) {
    // Shown smaller: the shells paint the averaged picture as it stands.
    if (shrunk_.generation != generation_ || shrunk_.from != view.pixels ||
        shrunk_.divisor != view.layout.divisor) {
      shrunk_ = {generation_, view.pixels, view.layout.divisor,
                 boxShrink(view.pixels, view.width, view.height, view.pitch, view.layout.divisor)};
    }
    view.pixels = shrunk_.picture.pixels.data();
    view.width = shrunk_.picture.width, view.height = shrunk_.picture.height;
    view.pitch = static_cast<std::size_t>(view.width) * 3;
  }
  return view;
}

std::optional<ViewerCore::Clock::time_point> ViewerCore::messageDeadline() const {
  if (message_.empty()) return std::nullopt;
  return messageEnd_;
}

bool ViewerCore::expireMessage(Clock::time_point now) {
  if (message_.empty() || now < messageEnd_) return false;
  message_.clear();
  return true;
}

// As the user sees it, in desktop units: "1:1", "3x", "1:2", "fit (2x)".
std::string ViewerCore::zoomText() const {
  const Layout layout = pictureLayout();
  if (layout.scale == 0) {  // no picture to lay out: the zoom asked for
    return mode_.fit ? "fit" : ratioText({{}, {}, mode_.zoom, 1}, 1);
  }
  return mode_.fit ? "fit (" + ratioText(layout, unit_) + ")" : ratioText(layout, unit_);
}

std::vector<std::string> ViewerCore::panelText() const {
  if (!panel_) return {};
  if (!decoded_) return {"no picture yet"};
  PanelFacts facts;
  if (decoded_) facts.fileName = utf8FromPath(pathFromUtf8(shownName()).filename());
  if (!files_.empty()) facts.position = files_.index() + 1, facts.count = files_.size();
  facts.info = info_;
  if (status_ != DecodeStatus::ok) facts.unread = decodeStatusText(status_);
  facts.accurate = accurate_;
  facts.profileReason = profileReasonText(choice_);
  facts.page = page_;
  facts.zoom = zoomText();
  return panelLines(facts);
}

Reaction ViewerCore::save() {
  Reaction reaction;
  reaction.repaint = true;  // the message says what happened
  RgbImage image;
  if (decoded_ && status_ == DecodeStatus::ok) {
    if (accurate_ && !picture_.rgb.empty()) {
      image.width = picture_.width, image.height = picture_.height, image.rgb = picture_.rgb;
    } else if (!accurate_ && frame() != nullptr) {
      image = frameToRgb(std::span<const std::uint8_t, kFrameBytes>(frame(), kFrameBytes),
                         kFrameWidth, kFrameHeight);
    }
  }
  if (image.rgb.empty()) {
    say("nothing to save");
    return reaction;
  }
  // Named as imag2png names it. A picture the shell hands over as "PATH@0xOFFSET" (the page's
  // scan) keeps that whole name too.
  PictureOutput which;
  if (scanned_) which.offset = scanned_->found.offset;
  which.picture = info_.pictures > 1 ? page_ + 1 : 0;
  const auto [path, error] = saver_.save(image, pictureOutputPath(current_, which));
  if (error.empty()) {
    say("saved " + path);
  } else {
    reaction.report = path + ": " + error;
    say("cannot save " + path + ": " + error);
  }
  return reaction;
}
