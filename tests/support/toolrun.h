#pragma once

// Runs a program directly (no shell) with its standard output and error captured, optionally as
// an ordinary user or with a cap on the size of the files it may write; and imag2png through one
// function.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/asnobody.h"
#include "support/tempdir.h"

struct ToolLimits {
  bool asOrdinaryUser = false;         // as nobody when running as root
  rlim_t largestFile = RLIM_INFINITY;  // writes past this many bytes fail as on a full disk
  bool closedInput = false;            // no standard input: the next file opened is descriptor 0
  rlim_t mostOpenFiles = RLIM_INFINITY;
};

struct ToolRun {
  int exit = -1;    // exit status, or -1 when it ended by a signal
  int signal = 0;   // the signal that ended it
  std::string err;  // what it wrote to standard error
  std::string out;  // and to standard output
};

struct StartedTool {
  pid_t pid = -1;
  std::string outPath, errPath;
};

// Starts argv[0] with stdout and stderr into files of their own.
inline StartedTool startTool(const std::vector<std::string>& argv, const ToolLimits& limits = {}) {
  static std::atomic<int> started{0};
  const std::string stem =
      (std::filesystem::temp_directory_path() /
       ("pelmora-run-" + std::to_string(::getpid()) + "-" + std::to_string(started++)))
          .string();
  const pid_t child = ::fork();
  if (child != 0) return {child, stem + ".out", stem + ".err"};
  const int out = ::open((stem + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  const int err = ::open((stem + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
  if (limits.closedInput) ::close(0);
  const rlimit files{limits.mostOpenFiles, limits.mostOpenFiles};
  if (limits.mostOpenFiles != RLIM_INFINITY && ::setrlimit(RLIMIT_NOFILE, &files) != 0)
    ::_exit(126);
  if (limits.largestFile != RLIM_INFINITY) {
    const rlimit cap{limits.largestFile, limits.largestFile};
    std::signal(SIGXFSZ, SIG_IGN);  // so an oversized write fails with EFBIG instead of killing
    if (::setrlimit(RLIMIT_FSIZE, &cap) != 0) ::_exit(126);
  }
  if (limits.asOrdinaryUser && !becomeOrdinaryUser()) ::_exit(126);
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

inline ToolRun waitForTool(const StartedTool& tool) {
  ToolRun run;
  int status = 0;
  if (::waitpid(tool.pid, &status, 0) == tool.pid) {
    if (WIFEXITED(status)) run.exit = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  }
  const Bytes err = readFile(tool.errPath), out = readFile(tool.outPath);
  run.err.assign(err.begin(), err.end());
  run.out.assign(out.begin(), out.end());
  std::filesystem::remove(tool.errPath);
  std::filesystem::remove(tool.outPath);
  return run;
}

inline ToolRun runTool(const std::vector<std::string>& argv, const ToolLimits& limits = {}) {
  return waitForTool(startTool(argv, limits));
}

#ifdef IMAG2PNG
// Starts the converter under test with the words of $IMAG2PNG_ARGS, if set, and then `args`;
// under `wrapper` (a tracer, say) when one is given. Every test runs it through here.
inline StartedTool startImag2png(const std::vector<std::string>& args,
                                 const ToolLimits& limits = {},
                                 const std::vector<std::string>& wrapper = {}) {
  std::vector<std::string> argv = wrapper;
  argv.push_back(IMAG2PNG);
  std::istringstream extra(std::getenv("IMAG2PNG_ARGS") ? std::getenv("IMAG2PNG_ARGS") : "");
  argv.insert(argv.end(), std::istream_iterator<std::string>(extra), {});
  argv.insert(argv.end(), args.begin(), args.end());
  return startTool(argv, limits);
}

inline ToolRun runImag2png(const std::vector<std::string>& args, const ToolLimits& limits = {},
                           const std::vector<std::string>& wrapper = {}) {
  return waitForTool(startImag2png(args, limits, wrapper));
}
#endif
