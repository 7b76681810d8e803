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

namespace {

// The file a save really replaces: a symbolic link is followed (through a
// chain of links) to the file it names, so that the link stays and its
// target receives the new contents. A dangling link names the file to create.
std::string resolveLinks(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path p = path;
  for (int depth = 0; depth < 40; ++depth) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(p, ec))) return p.string();
    const fs::path target = fs::read_symlink(p, ec);
    if (ec) return p.string();
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  fail("Cannot write file", path, ELOOP);
}

std::string folderOf(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

}  // namespace

void writeFileReplacing(const std::string& path, const std::string& contents) {
  const std::string target = resolveLinks(path);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) fail("Cannot write file", path, EISDIR);
  // A file the user may not write (read-only, for instance) is refused as
  // writing into it would be, and stays as it is.
  if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
    fail("Cannot write file", path, errno);
  std::string tmp = target + ".tmpXXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    const int err = errno;
    // The new contents go to a file beside the target first; when the folder
    // takes no new files, that is the problem to name.
    if (err == EACCES || err == EROFS || err == EPERM)
      throw CommandError("Cannot write file \"" + path + "\": the folder \"" + folderOf(target) +
                         "\" does not allow new files to be made (" + std::strerror(err) + ")");
    fail("Cannot write file", path, err);
  }
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
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(fd, mode) != 0) abandon(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    fail("Cannot write file", path, err);
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
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
