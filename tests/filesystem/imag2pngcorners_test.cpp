// imag2png given inputs that are not pictures and outputs it cannot write, and stopped half way:
// each failure exits with 1 and names the path and the reason, and no output is ever left
// half-written, nor any temporary file behind.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "nonpictures.h"
#include "support/framecheck.h"
#include "support/tempdir.h"
#include "support/toolrun.h"

namespace {

namespace fs = std::filesystem;

class Imag2pngCorners : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(out()); }

  fs::path out() const { return dir.path("out"); }

  TempDir dir;
};

TEST_F(Imag2pngCorners, InputsThatAreNotPicturesWriteNothing) {
  fs::create_directory(dir.path("folder"));
  const std::pair<std::string, DecodeStatus> cases[] = {
      {dir.path("folder").string(), DecodeStatus::notRegularFile},
      {makeFifo(dir.path("fifo")), DecodeStatus::notRegularFile},
      {dir.path("missing.img").string(), DecodeStatus::cannotOpen},
      {dir.write("text.img", {'h', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd'}),
       DecodeStatus::notCdiImage},
  };
  std::vector<std::string> batch = {"-o", out().string()};
  std::string allFailures;
  for (const auto& [path, status] : cases) {
    batch.push_back(path);
    allFailures += "imag2png: " + path + ": " + decodeStatusText(status) + "\n";
  }
  const ToolRun all = runImag2png(batch);
  EXPECT_EQ(all.exit, 1);
  EXPECT_EQ(all.err, allFailures);
  EXPECT_EQ(namesIn(out()), std::set<std::string>{});
}

TEST_F(Imag2pngCorners, AnUnwritableFolderIsReportedAndLeftAlone) {
  const std::string input = dir.write("pic.img", colourfulPicture());
  fs::permissions(dir.root(), fs::perms(0755));
  fs::permissions(input, fs::perms(0644));
  fs::permissions(out(), fs::perms(0555));
  const ToolRun readOnly =
      runImag2png({input, (out() / "pic.png").string()}, ToolLimits{.asOrdinaryUser = true});
  EXPECT_EQ(readOnly.exit, 1);
  EXPECT_NE(readOnly.err.find("cannot create a file in its folder"), std::string::npos)
      << readOnly.err;
  EXPECT_EQ(namesIn(out()), std::set<std::string>{});

  // A path that leaves no room for the name of its temporary file beside it.
  fs::path deep = dir.root();
  while (deep.string().size() + 151 < 3990)
    deep /= std::string(150, 'd');
  fs::create_directories(deep);
  const fs::path longest = deep / (std::string(4086 - deep.string().size(), 'n') + ".png");
  const ToolRun tooLong = runImag2png({input, longest.string()});
  EXPECT_NE(tooLong.err.find(": cannot create a file in its folder: File name too long"),
            std::string::npos)
      << tooLong.err;
  EXPECT_TRUE(fs::is_empty(deep));
}

TEST_F(Imag2pngCorners, AFullDiskLeavesNoPartialOutput) {
  // A cap on file size makes every write past it fail as a full disk would. Without a standard
  // input, the file written is descriptor 0.
  const std::string input = dir.write("pic.img", colourfulPicture());
  const ToolLimits nearlyFull{.largestFile = 4096, .closedInput = true};
  const ToolRun fresh = runImag2png({input, (out() / "pic.png").string()}, nearlyFull);
  EXPECT_EQ(fresh.exit, 1);
  EXPECT_EQ(fresh.err.rfind("imag2png: " + (out() / "pic.png").string() + ": cannot write", 0), 0u)
      << fresh.err;
  EXPECT_EQ(namesIn(out()), std::set<std::string>{});

  const Bytes before(2000, 'x');
  const std::string existing = dir.write("out/old.png", before);
  EXPECT_EQ(runImag2png({input, existing}, nearlyFull).exit, 1);
  EXPECT_EQ(readFile(existing), before);
  EXPECT_EQ(namesIn(out()), std::set<std::string>{"old.png"});
  EXPECT_EQ(runImag2png({"--scan", "-o", out().string(), input}, nearlyFull).exit, 1);
  EXPECT_EQ(namesIn(out()), std::set<std::string>{"old.png"});

  // Each failed write gives its descriptor back: a long batch of them never runs out.
  std::vector<std::string> batch = {"-o", out().string()};
  for (int i = 0; i < 30; ++i)
    batch.push_back(dir.write(std::to_string(i) + ".img", colourfulPicture()));
  const ToolRun many = runImag2png(batch, {.largestFile = 4096, .mostOpenFiles = 20});
  EXPECT_EQ(std::count(many.err.begin(), many.err.end(), '\n'), 30) << many.err;
  for (int i = 0; i < 30; ++i)
    EXPECT_NE(many.err.find(std::to_string(i) + ".img.png: cannot write"), std::string::npos) << i;
}

// Runs imag2png under strace and checks every rename it made: the file was synced before it
// and its folder after it, so that a power loss leaves the old file or the whole new one. Returns
// the number of renames, or -1 when strace cannot trace here.
int checkSyncedRenames(const TempDir& dir, const std::vector<std::string>& args) {
  const std::string log = dir.path("trace").string();
  // LeakSanitizer cannot work under a tracer: a sanitized build keeps its other checks only.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string noLeakCheck =
      "ASAN_OPTIONS=" + std::string(asan ? asan : "") + (asan ? ":" : "") + "detect_leaks=0";
  // Standard input closed: a folder opened as descriptor 0 is synced too.
  const ToolRun run = runImag2png(args, {},
                                  {"/usr/bin/strace", "-f", "-y", "-o", log, "-E", noLeakCheck,
                                   "-e", "trace=fsync,fdatasync,rename,renameat,renameat2",
                                   "/bin/sh", "-c", "exec \"$@\" <&-", "sh"});
  if (run.err.rfind("strace:", 0) == 0) return -1;
  EXPECT_EQ(run.exit, 0) << run.err;
  // With several threads, a call that another one interrupts is logged in two pieces, "PID
  // call(... <unfinished ...>" and "PID <... call resumed>) = 0": joined where the call ended.
  std::vector<std::string> lines;
  std::map<std::string, std::string> unfinished;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) {
    const std::string pid = line.substr(0, line.find(' '));
    if (const auto cut = line.find(" <unfinished ...>"); cut != std::string::npos) {
      unfinished[pid] = line.substr(0, cut);
      continue;
    }
    if (const auto resumed = line.find(" resumed>"); resumed != std::string::npos) {
      line = unfinished[pid] + line.substr(resumed + std::strlen(" resumed>"));
    }
    lines.push_back(line);
  }
  fs::remove(log);
  const std::regex sync(R"((?:fsync|fdatasync)\(\d+<([^>]*)>\)\s*= 0)");
  const std::regex rename(R"re(rename\w*\([^"]*"([^"]*)"[^"]*"([^"]*)".*\)\s*= 0)re");
  const auto syncedIn = [&](std::size_t from, std::size_t to, const fs::path& path) {
    std::smatch m;
    for (std::size_t i = from; i < to; ++i) {
      if (std::regex_search(lines[i], m, sync) && m[1].str() == path.string()) return true;
    }
    return false;
  };
  int renames = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::smatch m;
    if (!std::regex_search(lines[i], m, rename)) continue;
    ++renames;
    const fs::path from = fs::weakly_canonical(m[1].str()), to = fs::weakly_canonical(m[2].str());
    EXPECT_TRUE(syncedIn(0, i, from)) << from << " was renamed before it was synced";
    EXPECT_TRUE(syncedIn(i + 1, lines.size(), to.parent_path()))
        << "the folder of " << to << " was not synced after the rename";
  }
  return renames;
}

TEST_F(Imag2pngCorners, EachOutputIsSyncedBeforeItsRenameAndItsFolderAfter) {
  if (!fs::exists("/usr/bin/strace")) GTEST_SKIP() << "strace is not installed";
  const std::string input = dir.write("pic.img", colourfulPicture());
  const std::string second = dir.write("second.img", colourfulPicture());
  const std::string existing = dir.write("old.png", {'x'});
  const int batch = checkSyncedRenames(dir, {"-o", out().string(), input, second});
  if (batch < 0) GTEST_SKIP() << "strace cannot trace here";
  EXPECT_EQ(batch, 2);
  EXPECT_EQ(checkSyncedRenames(dir, {input, existing}), 1);  // replacing a file
}

// Starts a batch of many inputs, stops it with `signal` once some outputs exist, and checks
// that every output left is complete and that no temporary file is left behind.
void interruptBatch(const TempDir& dir, int signal, int inputs) {
  const fs::path in = dir.path("in"), out = dir.path("batch");
  fs::create_directories(in);
  fs::remove_all(out);
  fs::create_directories(out);
  // PPM: almost no time goes into encoding, so most of it is spent writing.
  std::vector<std::string> args = {"--format", "ppm", "-o", out.string()};
  for (int i = 0; i < inputs; ++i) {
    const fs::path input = in / ("p" + std::to_string(i) + ".img");
    if (!fs::exists(input)) fs::copy_file(dir.path("pic.img"), input);
    args.push_back(input.string());
  }
  const StartedTool tool = startImag2png(args);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  // Stop it once three outputs are done and, if it can be caught, while a fourth is written.
  const auto count = [&out](bool temporary) {
    return std::count_if(fs::directory_iterator(out), fs::directory_iterator{},
                         [temporary](const auto& entry) {
                           return (entry.path().filename().string()[0] == '.') == temporary;
                         });
  };
  while ((count(false) < 3 || count(true) == 0) && std::chrono::steady_clock::now() < giveUp) {
  }
  ::kill(tool.pid, signal);
  const ToolRun stopped = waitForTool(tool);
  const Bytes expected = readFile(dir.path("pic.ppm"));
  int complete = 0;
  for (const auto& entry : fs::directory_iterator(out)) {
    const std::string name = entry.path().filename().string();
    EXPECT_NE(name[0], '.') << "temporary file left behind: " << name;
    EXPECT_EQ(readFile(entry.path()), expected) << name << " is not complete";
    ++complete;
  }
  EXPECT_GE(complete, 3);
  if (complete < inputs) {
    EXPECT_EQ(stopped.signal, signal) << stopped.err;  // ended by the signal, as it asked
  }
}

TEST_F(Imag2pngCorners, AStoppedBatchLeavesOnlyCompleteOutputs) {
  const std::string input = dir.write("pic.img", colourfulPicture());
  ASSERT_EQ(runImag2png({input, dir.path("pic.ppm").string()}).exit, 0);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGINT, SIGTERM}) {
    SCOPED_TRACE(strsignal(signal));
    interruptBatch(dir, signal, 200);
  }
}

}  // namespace
