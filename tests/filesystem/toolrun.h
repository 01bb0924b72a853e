#pragma once

// Runs a program directly (no shell) with its standard error captured, optionally as an ordinary
// user or with a cap on the size of the files it may write.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "asnobody.h"

struct ToolLimits {
  bool asOrdinaryUser = false;         // as nobody when running as root
  rlim_t largestFile = RLIM_INFINITY;  // writes past this many bytes fail as on a full disk
};

struct ToolRun {
  int exit = -1;    // exit status, or -1 when it ended by a signal
  int signal = 0;   // the signal that ended it
  std::string err;  // what it wrote to standard error
};

// Starts argv[0] with stdout to /dev/null and stderr into errPath; returns its process id. The
// words of $IMAG2PNG_ARGS, if set, come right after argv[0] (CTest runs with -j 1 and -j 4).
inline pid_t startTool(const std::vector<std::string>& argv, const std::string& errPath,
                       const ToolLimits& limits = {}) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  const int out = ::open("/dev/null", O_WRONLY);
  const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
  if (limits.largestFile != RLIM_INFINITY) {
    const rlimit cap{limits.largestFile, limits.largestFile};
    std::signal(SIGXFSZ, SIG_IGN);  // so an oversized write fails with EFBIG instead of killing
    if (::setrlimit(RLIMIT_FSIZE, &cap) != 0) ::_exit(126);
  }
  if (limits.asOrdinaryUser && ::geteuid() == 0 &&
      (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
    ::_exit(126);
  }
  std::vector<std::string> words(argv.begin(), argv.begin() + 1);
  std::istringstream extra(std::getenv("IMAG2PNG_ARGS") ? std::getenv("IMAG2PNG_ARGS") : "");
  words.insert(words.end(), std::istream_iterator<std::string>(extra), {});
  words.insert(words.end(), argv.begin() + 1, argv.end());
  std::vector<char*> args;
  for (const std::string& arg : words)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

inline ToolRun waitForTool(pid_t child, const std::string& errPath) {
  ToolRun run;
  int status = 0;
  if (::waitpid(child, &status, 0) == child) {
    if (WIFEXITED(status)) run.exit = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  }
  std::ifstream in(errPath, std::ios::binary);
  run.err.assign(std::istreambuf_iterator<char>(in), {});
  std::filesystem::remove(errPath);
  return run;
}

inline ToolRun runTool(const std::vector<std::string>& argv, const std::string& errPath,
                       const ToolLimits& limits = {}) {
  return waitForTool(startTool(argv, errPath, limits), errPath);
}
