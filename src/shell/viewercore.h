#pragma once

// What the viewer does, apart from the window system: the command-line rules, what each window
// message does to the frame and the caption, and the decode of the command-line file at the
// first paint. Both window shells (SDL2 and Win32) drive one ViewerCore; tests drive it bare.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "accurate.h"
#include "boxshrink.h"
#include "decode.h"
#include "diskplatform.h"
#include "filelist.h"
#include "keytable.h"
#include "layout.h"
#include "options.h"
#include "pictureinfo.h"
#include "profile.h"

inline constexpr char szAppname[] = "Pelmora 'DragnDrop' viewer";
inline constexpr int IDM_DECODE_ARGV = 1234;
// Added to the caption while the accurate profile shows; " [accurate 2/3]" for a CAT.
inline constexpr char kAccurateCaption[] = " [accurate]";
// How long a message stays in the window, from when its picture is shown.
inline constexpr std::chrono::milliseconds kMessageDuration{3000};
// What an empty window says until the first picture: a line, and a smaller one below it.
inline constexpr const char* kEmptyHint[] = {"Drop CD-i pictures here",
                                             "or run dragndrop FILE\u2026"};

// The command-line text as the Windows start-up code hands it over: the arguments after the
// program's name, joined with single spaces. Empty when there are none.
std::string commandLineText(int argc, const char* const* argv);

// The path in a command-line text: after a leading double quote, the rest without its last
// character (taken to be the closing quote); otherwise the whole text. Null gives "".
// Paths of any length are kept whole.
std::string argvlineFrom(const char* lpszCmdParam);

// `text` with every byte sequence that is not valid UTF-8 replaced by U+FFFD, for captions of
// window systems that take UTF-8. Valid text comes back unchanged.
std::string validUtf8(std::string_view text);

// What the shell has to do after a message was handled.
struct Reaction {
  bool setCaption = false;                 // set the caption to `caption`
  std::string caption;                     // bytes as the path has them (see validUtf8)
  bool repaint = false;                    // "dirty": invalidate the client area
  DecodeStatus status = DecodeStatus::ok;  // of the decode this message ran, if any
  bool quit = false;                       // close the window
  // Make the client area this size, as far as the work area allows (placeWindow); ignored while
  // the window is maximised or full screen.
  std::optional<ClientSize> resizeTo;
  std::optional<bool> fullScreen;  // enter (true) or leave (false) full screen
  std::string report;  // a refusal or warning for standard error ("PATH: reason"); also shown
};

// The picture to paint and where (see layout.h). Grey everywhere, then source -> destination.
struct PictureView {
  const std::uint8_t* pixels = nullptr;  // null: grey only
  int width = 0, height = 0;
  std::size_t pitch = 0;  // bytes from one row to the next
  bool bgr = false;       // the classic frame: blue, green, red; the accurate picture: red first
  Layout layout;
};

class ViewerCore {
 public:
  using Clock = std::chrono::steady_clock;

  // One file, as the Windows command line names it (argvlineFrom); "" for none. The files are
  // read from `files` and saved pictures go to `saver`: the disk unless the shell says otherwise;
  // both outlive the core.
  explicit ViewerCore(std::string argvline, FileSource& files = diskFiles(),
                      PictureSaver& saver = diskSaver());
  // The parsed command line: its files (filesFromArguments) make the list, and its first file is
  // the one decoded at the first paint; the options set the profile and the view. With --scan the
  // list holds the pictures found in the files instead (scanFiles), and so do later drops: each
  // is read again from its file and decoded in memory, with "PATH@0xOFFSET" as its name.
  explicit ViewerCore(const ViewerOptions& options, FileSource& files = diskFiles(),
                      PictureSaver& saver = diskSaver());
  ~ViewerCore();  // frees the frame buffer, as the program does when its message loop ends
  ViewerCore(const ViewerCore&) = delete;
  ViewerCore& operator=(const ViewerCore&) = delete;

  // Window created: sets dyuverrc to 220.
  void onCreate();

  // The desktop's scale, at start (before the window is sized) and whenever it changes: one
  // desktop unit is unitForDpi(dpi) screen pixels. The reaction asks for the window's size at
  // the new scale.
  Reaction setDesktopDpi(int dpi);
  int dpi() const { return dpi_; }
  int unit() const { return unit_; }
  // The client area is never to be smaller than this (shells set it as the window's minimum).
  ClientSize minimumClient() const { return floorSize(unit_); }

  // The frame to paint (384 x 280, blue-green-red, rows 1152 bytes apart), or null while no
  // frame buffer exists and only the grey background is painted.
  const unsigned char* frame() const { return dyuvasbmpmem; }

  // After each paint: true exactly once, when the command-line file is still to be decoded. The
  // shell then runs onCommand(IDM_DECODE_ARGV) (Win32: by sending WM_COMMAND 1234) and calls
  // argvDecoded().
  bool argvPending() const { return !argvline_.empty(); }
  void argvDecoded() { argvline_.clear(); }

  // WM_COMMAND: IDM_DECODE_ARGV decodes the command-line file (caption: title, then the path on
  // success; no repaint requested). Any other identifier does nothing.
  Reaction onCommand(int id);

  // A drop: the dropped files (folders opened) become the list, and only the first is decoded.
  // Caption: title, then the path on success; repaint. A path that cannot be opened leaves the
  // previous frame; a refused file leaves it black.
  Reaction onDrop(const std::vector<std::string>& paths);
  // A further file of the drop that onDrop began, for shells that get a drop file by file.
  Reaction addDropped(const std::string& path);

  // A key (keytable.h): looked up in the key table and run. Unknown keys do nothing.
  Reaction onKey(int key, int modifiers);
  // What a key binding runs; also for the mouse (Ctrl + wheel: zoom +1 or -1).
  Reaction run(ViewerCommand command, int argument);
  // The mouse dragged by (dx, dy) client pixels: pans a picture larger than the window.
  Reaction onDrag(int dx, int dy);
  // The client area's size, at start and after every change. Fit and pan follow it.
  Reaction onResize(int width, int height);
  // The shell's own change of full screen (window manager): the view follows.
  void fullScreenChanged(bool on);

  // What to paint now in a client area of the size last given to onResize.
  PictureView view() const;
  bool fullScreen() const { return fullScreen_; }
  // The view: fit, or a zoom with its pan (shrinkLarger: the start-up 1:1 view).
  const ViewMode& mode() const { return mode_; }

  // Before the first picture (no file named, none dropped yet): the lines to write centred in the
  // empty window, the first large (kEmptyHint); otherwise none.
  std::vector<std::string> emptyHint() const;

  // The transient message: "" when none shows. A message is about the picture shown: moving to
  // another picture drops it, and a file's own message lasts kMessageDuration from when its
  // picture is shown. It shows until its deadline; the shell waits for
  // events with a timeout only while one shows, and calls expireMessage when the time is up.
  // Shells draw it in a dark strip across the top of the client area, over the picture.
  const std::string& message() const { return message_; }
  std::optional<Clock::time_point> messageDeadline() const;
  // True (repaint) when the message was due by `now` and is now gone.
  bool expireMessage(Clock::time_point now);

  // The info panel's lines ("no picture yet" before the first); empty while the panel is off.
  // Shells draw them in a dark box across the bottom of the client area, over the picture. Lines
  // too long for the window wrap.
  std::vector<std::string> panelText() const;
  bool panelShown() const { return panel_; }

  // The file list and the place in it.
  const FileList& files() const { return files_; }

  const std::string& argvline() const { return argvline_; }

  // The profile switch (Tab): decodes the file last decoded again, in the accurate profile when
  // the classic one is showing and back. The caption is the path, or the title after a failure,
  // with " [accurate]" added whenever the accurate profile shows, chosen or automatic; repaint.
  // Nothing happens before the first decode. Until the first Tab (or --classic, --accurate) each
  // file gets the profile its header asks for (profile.h); after it, the profile chosen holds for
  // the files that follow until it is switched again.
  Reaction toggleProfile();
  // The CAT picture shown (0-based; the pictures after the first are accurate) and how many the
  // file has.
  int page() const { return page_; }
  int pages() const { return info_.pictures; }
  bool accurate() const { return accurate_; }
  // The file of the last decode, whichever profile shows it.
  const std::string& currentPath() const { return current_; }
  // What the caption names: the file, or "PATH@0xOFFSET" for a picture found by --scan.
  std::string shownName() const;
  // In the accurate profile, the decoded picture (view() says where it goes); null in the classic
  // profile or when the file had no picture to show.
  const AccuratePicture* accuratePicture() const {
    return accurate_ && !picture_.rgb.empty() ? &picture_ : nullptr;
  }

 private:
  Reaction decode(const std::string& path, bool repaint, const ScannedPicture* scanned = nullptr);
  Reaction decodeCurrent(bool repaint);
  Reaction decodeFound(Reaction reaction);
  // The accurate picture of page_; decoded from `copy` when given, else read again.
  Reaction decodeAccuratePage(Reaction reaction, const FileCopy* copy = nullptr);
  DecodeStatus readFound(std::vector<std::uint8_t>& bytes) const;
  Reaction shown(Reaction reaction);
  std::string caption(DecodeStatus status) const;
  void say(std::string text);
  void warn(Reaction& reaction, const std::string& path, const std::string& what);
  // Says the warnings, if any, as one message.
  void warn(Reaction& reaction, const std::string& path, const std::vector<std::string>& warnings);
  // Sets the profile for picture page_ of `file` as profileMode_ asks.
  void choose(std::span<const std::uint8_t> file);
  Reaction zoom(int step);
  Reaction toggleFullScreen();
  Reaction save();
  int pictureWidth() const;
  int pictureHeight() const;
  std::optional<ClientSize> scaledSize() const;
  std::string zoomText() const;
  Layout pictureLayout() const;
  void leavePicture();

  FileSource& source_;
  PictureSaver& saver_;
  std::string argvline_;
  FileList files_;
  std::string current_;  // the file of the last decode
  bool scan_ = false;    // files opened (from the command line or a drop) are scanned
  std::optional<ScannedPicture> scanned_;  // what the last decode showed of current_, if scanned
  bool decoded_ = false;
  DecodeStatus status_ = DecodeStatus::ok;
  ProfileMode profileMode_ = ProfileMode::automatic;  // as the options or the last Tab set it
  ProfileChoice choice_;                              // for the picture shown
  bool accurate_ = false;                             // the profile of the picture shown
  AccuratePicture picture_;
  int page_ = 0;
  PictureInfo info_;
  ViewMode mode_{.shrinkLarger = true};
  ViewMode windowedMode_;  // the mode to return to when full screen ends
  bool fullScreen_ = false;
  ClientSize client_{kFrameWidth, kFrameHeight};
  bool panel_ = false;
  std::string message_;
  Clock::time_point messageEnd_;
  int dpi_ = 96, unit_ = 1;
  // The picture shown smaller by a divisor, made at the first paint that needs it: key and pixels.
  struct Shrunk {
    unsigned generation = 0;
    const std::uint8_t* from = nullptr;
    int divisor = 0;
    ShrunkPicture picture;
  };
  mutable Shrunk shrunk_;
  unsigned generation_ = 0;  // counts the pictures decoded, so that a new one is shrunk afresh
};
