#include "cuesheet.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

constexpr std::int64_t kFramesPerSecond = 75, kSecondsPerMinute = 60;

// CD-i discs' sheets name their tracks MODE2 or, from some tools, CDI.
std::int64_t sectorBytesOf(std::string_view mode) {
  if (mode == "MODE2/2352" || mode == "CDI/2352" || mode == "MODE1/2352" || mode == "AUDIO") {
    return 2352;
  }
  if (mode == "MODE2/2336" || mode == "CDI/2336") return 2336;
  if (mode == "MODE1/2048") return 2048;
  return 0;
}

// mm:ss:ff as frames; -1 when it is not that.
std::int64_t framesOf(const std::string& time) {
  int minutes = 0, seconds = 0, frames = 0;
  char colon1 = 0, colon2 = 0;
  std::istringstream in(time);
  if (!(in >> minutes >> colon1 >> seconds >> colon2 >> frames) || colon1 != ':' || colon2 != ':' ||
      minutes < 0 || seconds < 0 || frames < 0) {
    return -1;
  }
  return (std::int64_t{minutes} * kSecondsPerMinute + seconds) * kFramesPerSecond + frames;
}

// The rest of a FILE line: its quoted name, or its first word.
std::string fileName(std::istringstream& line) {
  line >> std::ws;
  std::string name;
  if (line.peek() == '"') {
    line.get();
    std::getline(line, name, '"');
  } else {
    line >> name;
  }
  return name;
}

// A mode this program does not read is taken to have sectors of the raw size.
std::int64_t bytesPerFrame(const CueTrack& track) {
  return track.sectorBytes != 0 ? track.sectorBytes : 2352;
}

}  // namespace

bool isCueSheetPath(std::string_view path) {
  if (path.size() < 4) return false;
  std::string tail(path.substr(path.size() - 4));
  for (char& c : tail)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".cue";
}

std::vector<CueTrack> parseCueSheet(std::string_view text) {
  std::vector<CueTrack> tracks;
  std::vector<std::int64_t> firstFrames;  // of each track, -1 until an index gives it
  std::string file;
  std::istringstream lines{std::string(text)};
  for (std::string text; std::getline(lines, text);) {
    std::istringstream line(text);
    std::string word;
    line >> word;
    if (word == "FILE") {
      file = fileName(line);
    } else if (word == "TRACK") {
      CueTrack track;
      line >> track.number >> track.mode;
      track.file = file;
      track.sectorBytes = sectorBytesOf(track.mode);
      track.audio = track.mode == "AUDIO";
      tracks.push_back(track);
      firstFrames.push_back(-1);
    } else if (word == "INDEX" && !tracks.empty()) {
      int index = 0;
      std::string time;
      line >> index >> time;
      const std::int64_t frames = framesOf(time);
      // The pregap (index 0) holds no data; the track is read from index 1 on.
      if (frames >= 0 && (index == 1 || firstFrames.back() < 0)) firstFrames.back() = frames;
    }
  }
  // Frames count from the start of each file; a file's tracks follow one another in it.
  std::int64_t at = 0, frame = 0;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    if (i == 0 || tracks[i].file != tracks[i - 1].file) at = 0, frame = 0;
    const std::int64_t first = std::max(firstFrames[i], frame);
    if (i > 0 && tracks[i].file == tracks[i - 1].file) {
      at += (first - frame) * bytesPerFrame(tracks[i - 1]);
      tracks[i - 1].bytes = at - tracks[i - 1].start;
    } else {
      at = first * bytesPerFrame(tracks[i]);
    }
    tracks[i].start = at;
    frame = first;
  }
  return tracks;
}

SectorLayout cueTrackLayout(const CueTrack& track) {
  switch (track.sectorBytes) {
    case 2352:
      return SectorLayout::raw2352;
    case 2336:
      return SectorLayout::raw2336;
    default:
      return SectorLayout::plain;  // 2048-byte sectors are the user data alone
  }
}

std::string cueFilePath(const std::string& sheet, const std::string& file) {
  if (!file.empty() && (file[0] == '/' || file[0] == '\\' || file.find(':') == 1)) return file;
  const auto slash = sheet.find_last_of("/\\");
  return slash == std::string::npos ? file : sheet.substr(0, slash + 1) + file;
}
