#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace volmar::test {

// Who a child process runs as: the tests run as root and drop to this user
// (and these groups) for what an ordinary user would do.
struct Identity {
  uid_t uid;
  gid_t gid;
  std::vector<gid_t> groups;  // supplementary groups
};

// The ordinary user the system keeps for unprivileged work.
inline const Identity Nobody{65534, 65534, {}};

// How a child process ended and what it passed back.
struct ChildResult {
  bool started = false;  // false: no process, or the identity could not be taken
  int exitStatus = -1;   // when it exited normally
  int signal = 0;        // when a signal ended it
  std::string text;      // what the body returned (or an exception's text)
};

// Runs body in a child process, as `as` when given (which needs root), and
// collects the text it returns; an exception's what() is returned as the
// text. The body must not use the test framework's assertions.
ChildResult runInChild(const std::function<std::string()>& body, const std::optional<Identity>& as = std::nullopt);

}  // namespace volmar::test
