#include "support/Child.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

namespace volmar::test {

ChildResult runInChild(const std::function<std::string()>& body, const std::optional<Identity>& as) {
  ChildResult result;
  int fds[2];
  if (::pipe(fds) != 0) return result;
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return result;
  }
  if (pid == 0) {
    ::close(fds[0]);
    if (as) {
      if (::setgroups(as->groups.size(), as->groups.data()) != 0 || ::setgid(as->gid) != 0 ||
          ::setuid(as->uid) != 0)
        ::_exit(125);
    }
    std::string text;
    try {
      text = body();
    } catch (const std::exception& e) {
      text = e.what();
    }
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
      const ssize_t n = ::write(fds[1], p, left);
      if (n <= 0) ::_exit(126);
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    result.text.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) {
    result.exitStatus = WEXITSTATUS(status);
    result.started = result.exitStatus != 125;
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
    result.started = true;
  }
  return result;
}

}  // namespace volmar::test
