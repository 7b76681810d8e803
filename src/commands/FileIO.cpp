#include "commands/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "commands/Context.h"

namespace volmar {

namespace {
[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
  throw CommandError(what + " \"" + path + "\": " + std::strerror(err));
}
}  // namespace

std::string readTextFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail("Cannot open file", path, errno);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    fail("Cannot open file", path, EISDIR);
  }
  std::string text;
  if (st.st_size > 0) text.reserve(static_cast<std::size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      fail("Cannot read file", path, err);
    }
    if (n == 0) break;
    text.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

void writeFileReplacing(const std::string& path, const std::string& contents) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) fail("Cannot write file", path, EISDIR);
  std::string tmp = path + ".tmpXXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) fail("Cannot write file", path, errno);
  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    fail("Cannot write file", path, err);
  };
  const char* p = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      abandon(errno);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) abandon(errno);
  // Keep the permissions an existing file had; a new file gets the usual
  // ones (mkstemp makes it private).
  mode_t mode = 0666;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  ::fchmod(fd, mode);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    fail("Cannot write file", path, err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    fail("Cannot write file", path, err);
  }
}

void checkFileWritable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) fail("Cannot write file", path, EISDIR);
  std::string tmp = path + ".tmpXXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) fail("Cannot write file", path, errno);
  ::close(fd);
  ::unlink(tmp.c_str());
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

std::string fullFileName(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

}  // namespace volmar
