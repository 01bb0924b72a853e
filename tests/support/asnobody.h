#pragma once

// Runs a piece of a test as an ordinary user, so that permission checks bite even when the
// tests run as root (as in CI). Ordinary users just run it.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

inline constexpr uid_t kNobody = 65534;

// Makes this process user and group nobody when it runs as root; false when it cannot.
inline bool becomeOrdinaryUser() {
  return ::geteuid() != 0 || (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
}

// Runs body in a child process, as user and group nobody when running as root; returns what
// body returned (0..125), or -1 when the child could not change user or died.
inline int runAsOrdinaryUser(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(becomeOrdinaryUser() ? body() : 126);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  if (!WIFEXITED(status) || WEXITSTATUS(status) >= 126) return -1;
  return WEXITSTATUS(status);
}
