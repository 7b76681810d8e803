#include "commands/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "commands/Context.h"

namespace volmar {

namespace {
[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
  throw FileWriteError(what + " \"" + path + "\": " + std::strerror(err));
}

// A path as a message shows it: paths longer than any real one (a runaway
// script line, say) are cut.
std::string shownPath(const std::string& path) {
  constexpr std::size_t Longest = 300;
  return path.size() <= Longest ? path : path.substr(0, Longest) + "...";
}

[[noreturn]] void failRead(const std::string& what, const std::string& path, const std::string& reason) {
  throw FileReadError(what + " \"" + shownPath(path) + "\": " + reason, reason);
}

// What a file that is not a regular one is, in the words `ls` and `file` use.
const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return std::strerror(EISDIR);
  if (S_ISCHR(mode)) return "Is a character device, not a regular file";
  if (S_ISBLK(mode)) return "Is a block device, not a regular file";
  if (S_ISFIFO(mode)) return "Is a pipe (FIFO), not a regular file";
  if (S_ISSOCK(mode)) return "Is a socket, not a regular file";
  return "Is not a regular file";
}

std::string megabytes(std::size_t bytes) { return std::to_string(bytes >> 20) + " MB"; }
}  // namespace

std::string readTextFile(const std::string& path, std::size_t limit) {
  // Not blocking on the open: a FIFO without a writer would wait forever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) failRead("Cannot open file", path, std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    failRead("Cannot open file", path, std::strerror(err));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    failRead("Cannot open file", path, kindOf(st.st_mode));
  }
  const auto tooLong = [&] {
    ::close(fd);
    failRead("Cannot read file", path,
             "File too large: more than " + megabytes(limit) + ", far more than any data file can need");
  };
  if (st.st_size > 0 && static_cast<std::uintmax_t>(st.st_size) > limit) tooLong();
  // A regular file never blocks; reads go on as usual.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::string text;
  try {
    if (st.st_size > 0) text.reserve(static_cast<std::size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
      const ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        ::close(fd);
        failRead("Cannot read file", path, std::strerror(err));
      }
      if (n == 0) break;
      // The file may have grown since it was measured.
      if (text.size() + static_cast<std::size_t>(n) > limit) tooLong();
      text.append(buf, static_cast<std::size_t>(n));
    }
  } catch (const std::bad_alloc&) {
    ::close(fd);
    failRead("Cannot read file", path, "Not enough memory to hold the file");
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
      throw FileWriteError("Cannot write file \"" + path + "\": the folder \"" + folderOf(target) +
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
