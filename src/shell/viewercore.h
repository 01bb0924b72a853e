#pragma once

// What the viewer does, apart from the window system: the command-line rules, what each window
// message does to the frame and the caption, and the decode of the command-line file at the
// first paint. Both window shells (SDL2 and Win32) drive one ViewerCore; tests drive it bare.

#include <string>
#include <string_view>
#include <vector>

#include "accurate.h"
#include "decode.h"

inline constexpr char szAppname[] = "Pelmora 'DragnDrop' viewer";
inline constexpr int IDM_DECODE_ARGV = 1234;
inline constexpr int kViewerThreshold = 220;  // dyuverrc while the window exists
// Added to the caption while the accurate profile shows.
inline constexpr char kAccurateCaption[] = " [accurate]";

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
  bool repaint = false;                    // invalidate the client area
  DecodeStatus status = DecodeStatus::ok;  // of the decode this message ran, if any
};

class ViewerCore {
 public:
  explicit ViewerCore(std::string argvline);
  ~ViewerCore();  // frees the frame buffer, as the program does when its message loop ends
  ViewerCore(const ViewerCore&) = delete;
  ViewerCore& operator=(const ViewerCore&) = delete;

  // Window created: sets dyuverrc to 220.
  void onCreate();

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

  // A drop: only the first path counts. Caption: title, then the path on success; repaint.
  // A path that cannot be opened leaves the previous frame; a refused file leaves it black.
  Reaction onDrop(const std::vector<std::string>& paths);

  const std::string& argvline() const { return argvline_; }

  // The profile switch (Tab): decodes the file last decoded again, in the accurate profile when
  // the classic one is showing and back. The caption is the path, or the title after a failure,
  // with " [accurate]" added in the accurate profile; repaint. Nothing happens before the first
  // decode. Every command-line decode and drop starts again in the classic profile.
  Reaction toggleProfile();
  bool accurate() const { return accurate_; }
  // The file of the last decode, whichever profile shows it.
  const std::string& currentPath() const { return current_; }
  // In the accurate profile, the picture to paint at the top-left (scaled down to fit the window
  // when larger); null in the classic profile or when the file had no picture to show.
  const AccuratePicture* accuratePicture() const {
    return accurate_ && !picture_.rgb.empty() ? &picture_ : nullptr;
  }

 private:
  Reaction decode(const std::string& path, bool repaint);

  std::string argvline_;
  std::string current_;  // the file of the last decode
  bool decoded_ = false;
  bool accurate_ = false;
  AccuratePicture picture_;
};
