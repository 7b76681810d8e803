#include "commands/FileIO.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <utility>
#include <vector>

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

// A path split into its folder and its last name, as bytes: "a/b" gives
// "a" and "b", "b" gives "." and "b", "/b" gives "/" and "b". The folder is
// opened on its own and the temporary file is made in it by its short name
// alone, so that no path longer than the target's is ever needed.
std::pair<std::string, std::string> splitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  std::string folder = path.substr(0, slash);
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return {folder.empty() ? std::string("/") : folder, path.substr(slash + 1)};
}

// ---- Temporary files in flight, for the signal handler ----------------------
//
// A fixed table of the temporary files the saves under way have made, each
// as its folder's descriptor and its short name, so that a handler can
// remove them with nothing but unlinkat (async-signal-safe): no allocation,
// no locks. A slot is claimed, filled, then marked in use; the handler only
// reads slots in use.
constexpr int SlotFree = 0;
constexpr int SlotFilling = 1;
constexpr int SlotInUse = 2;
constexpr std::size_t TempNameSize = 16;  // ".volmar-XXXXXX" and its NUL

struct InFlight {
  std::atomic<int> state{SlotFree};
  int folder = -1;
  char name[TempNameSize] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

InFlight inFlight[16];

void removeTemporariesAndEnd(int sig) {
  const int savedErrno = errno;
  for (InFlight& f : inFlight)
    if (f.state.load() == SlotInUse) ::unlinkat(f.folder, f.name, 0);
  // The handler was installed with SA_RESETHAND: the default action is back
  // and the signal, blocked while this runs, takes effect on return.
  ::raise(sig);
  errno = savedErrno;
}

InFlight* registerTemporary(int folder, const char* name) {
  for (InFlight& f : inFlight) {
    int expected = SlotFree;
    if (!f.state.compare_exchange_strong(expected, SlotFilling)) continue;
    f.folder = folder;
    std::memcpy(f.name, name, TempNameSize);
    f.state.store(SlotInUse);
    return &f;
  }
  return nullptr;  // more saves at once than slots: this one is not cleaned up on a signal
}

void unregisterTemporary(InFlight* slot) {
  if (slot) slot->state.store(SlotFree);
}

// A file too large for the size limit fails its write with EFBIG instead of
// ending the program; only the default action is changed, a handler of the
// program's own stays.
void ignoreFileSizeSignal() {
  struct sigaction old {};
  if (::sigaction(SIGXFSZ, nullptr, &old) != 0) return;
  if ((old.sa_flags & SA_SIGINFO) == 0 && old.sa_handler == SIG_DFL) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
  }
}

std::function<void(const std::string&)>& beforePlacingHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

// Six letters or digits, different for every call.
void randomSuffix(char* out, unsigned attempt) {
  static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(::getpid()) << 32) ^
           (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull) ^ attempt;
  }
  for (int i = 0; i < 6; ++i) {
    out[i] = alphabet[bits % 62];
    bits /= 62;
  }
}

// The temporary file of one save: made in the target's folder under a short
// name of its own, removed again unless it took the target's name.
class TemporaryFile {
 public:
  TemporaryFile(int folder, const std::string& path, const std::string& folderPath) : folder_(folder) {
    int err = EEXIST;
    for (unsigned attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
      std::memcpy(name_, ".volmar-", 8);
      randomSuffix(name_ + 8, attempt);
      name_[14] = '\0';
      // Made and registered with the ending signals held back, so that no
      // moment is left in which the file exists without its entry.
      sigset_t ending, before;
      sigemptyset(&ending);
      for (const int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, sig);
      ::pthread_sigmask(SIG_BLOCK, &ending, &before);
      fd_ = ::openat(folder_, name_, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
      err = errno;
      if (fd_ >= 0) slot_ = registerTemporary(folder_, name_);
      ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
      if (fd_ >= 0) return;
    }
    // The new contents go to a file in the target's folder first; when the
    // folder takes no new files, that is the problem to name.
    if (err == EACCES || err == EROFS || err == EPERM)
      throw FileWriteError("Cannot write file \"" + path + "\": the folder \"" + folderPath +
                           "\" does not allow new files to be made (" + std::strerror(err) + ")");
    fail("Cannot write file", path, err);
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!renamed_) ::unlinkat(folder_, name_, 0);
    unregisterTemporary(slot_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const char* name() const { return name_; }
  // Closes the file; 0 or the error.
  int close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : errno;
  }
  // The file now has the target's name: nothing to remove.
  void renamed() { renamed_ = true; }

 private:
  int folder_;
  char name_[TempNameSize] = {};
  int fd_ = -1;
  InFlight* slot_ = nullptr;
  bool renamed_ = false;
};

class FolderHandle {
 public:
  explicit FolderHandle(int fd) : fd_(fd) {}
  ~FolderHandle() { ::close(fd_); }
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

void writeAll(int fd, const std::string& contents, const std::function<void(int)>& failed) {
  const char* p = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      failed(errno);
      return;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

// A character device or a pipe is written into, as shell redirection does;
// it is never replaced by a regular file. A pipe is opened without waiting:
// with no program reading from it the open fails at once.
void writeInto(const std::string& path, const std::string& target, mode_t kind, const std::string& contents) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENXIO && S_ISFIFO(kind))
      throw FileWriteError("Cannot write file \"" + path + "\": no reader (no program reads from this pipe)");
    fail("Cannot write file", path, errno);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // A reader that goes away would end the program with SIGPIPE; the write
  // fails with EPIPE instead, and the signal it raised is taken back.
  sigset_t pipeSignal, before, pending;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  sigpending(&pending);
  const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
  ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
  int err = 0;
  writeAll(fd, contents, [&](int e) { err = e; });
  if (err == EPIPE && !wasPending) {
    const timespec none{};
    while (::sigtimedwait(&pipeSignal, nullptr, &none) < 0 && errno == EINTR) {
    }
  }
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) fail("Cannot write file", path, err);
}

// The replaced file's owner and group (as far as the user may give them:
// root any, others a group they belong to), then its extended attributes,
// the access control list among them, where the file system and the user's
// rights let them be set. What cannot be kept is left as the new file has it.
void keepOwnerAndAttributes(int fd, const std::string& target, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  constexpr const char* Acl = "system.posix_acl_access";
  bool hadAcl = false;
  const ssize_t size = ::listxattr(target.c_str(), nullptr, 0);
  if (size > 0) {
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::listxattr(target.c_str(), names.data(), names.size());
    for (ssize_t at = 0; got > 0 && at < got;) {
      const char* name = names.data() + at;
      at += static_cast<ssize_t>(std::strlen(name)) + 1;
      if (std::strcmp(name, Acl) == 0) hadAcl = true;
      const ssize_t length = ::getxattr(target.c_str(), name, nullptr, 0);
      if (length < 0) continue;
      std::vector<char> value(static_cast<std::size_t>(length));
      const ssize_t read = ::getxattr(target.c_str(), name, value.data(), value.size());
      if (read < 0) continue;
      (void)::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(read), 0);
    }
  }
  // An ACL the new file took from the folder's default would give access the
  // old file did not.
  if (!hadAcl) (void)::fremovexattr(fd, Acl);
}

// Gives the complete temporary file the target's name. Without replacing,
// the name is created in one step that fails if it exists: renameat2 with
// RENAME_NOREPLACE, or, where the file system lacks it, a hard link (which
// fails the same way) and the removal of the temporary name.
void place(TemporaryFile& tmp, int folder, const std::string& name, const std::string& path, bool replace) {
  if (replace) {
    if (::renameat(folder, tmp.name(), folder, name.c_str()) != 0) fail("Cannot write file", path, errno);
    tmp.renamed();
    return;
  }
  if (::renameat2(folder, tmp.name(), folder, name.c_str(), RENAME_NOREPLACE) == 0) {
    tmp.renamed();
    return;
  }
  int err = errno;
  if (err == EINVAL || err == ENOSYS || err == ENOTSUP) {
    // The temporary name is removed when tmp goes.
    if (::linkat(folder, tmp.name(), folder, name.c_str(), 0) == 0) return;
    err = errno;
  }
  if (err == EEXIST) throw FileExistsError(path);
  fail("Cannot write file", path, err);
}

void writeFile(const std::string& path, const std::string& contents, bool replace) {
  const std::string target = resolveLinks(path);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) fail("Cannot write file", path, errno);
  if (exists) {
    if (S_ISDIR(st.st_mode)) fail("Cannot write file", path, EISDIR);
    if (!replace) throw FileExistsError(path);
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) return writeInto(path, target, st.st_mode, contents);
    if (!S_ISREG(st.st_mode)) throw FileWriteError("Cannot write file \"" + path + "\": " + kindOf(st.st_mode));
    // A file the user may not write (read-only, for instance) is refused as
    // writing into it would be, and stays as it is.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) fail("Cannot write file", path, errno);
  }
  const auto [folderPath, name] = splitPath(target);
  if (name.empty() || name == "." || name == "..") fail("Cannot write file", path, EISDIR);
  const int folderFd = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) fail("Cannot write file", path, errno);
  const FolderHandle folder(folderFd);
  ignoreFileSizeSignal();

  TemporaryFile tmp(folder.fd(), path, folderPath);
  writeAll(tmp.fd(), contents, [&](int err) { fail("Cannot write file", path, err); });
  if (::fsync(tmp.fd()) != 0) fail("Cannot write file", path, errno);
  // A replaced file keeps its owner, group, attributes and permissions; a
  // new file gets the usual permissions (the temporary file is private).
  mode_t mode = 0666;
  if (exists) {
    keepOwnerAndAttributes(tmp.fd(), target, st);
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(tmp.fd(), mode) != 0) fail("Cannot write file", path, errno);
  if (const int err = tmp.close(); err != 0) fail("Cannot write file", path, err);
  if (const auto& hook = beforePlacingHook()) hook(target);
  place(tmp, folder.fd(), name, path, replace);
}

}  // namespace

FileExistsError::FileExistsError(const std::string& path)
    : FileWriteError(path + " exists and was not replaced") {}

void writeFileReplacing(const std::string& path, const std::string& contents) { writeFile(path, contents, true); }

void writeNewFile(const std::string& path, const std::string& contents) { writeFile(path, contents, false); }

void checkFileWritable(const std::string& path) {
  const std::string target = resolveLinks(path);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) fail("Cannot write file", path, EISDIR);
    // A device or a pipe is written into, not replaced: its permission is
    // what counts, and nothing is opened (a pipe's reader would see it).
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
      if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) fail("Cannot write file", path, errno);
      return;
    }
  }
  const auto [folderPath, name] = splitPath(target);
  const int folderFd = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) fail("Cannot write file", path, errno);
  const FolderHandle folder(folderFd);
  const TemporaryFile probe(folder.fd(), path, folderPath);
}

void installSaveSignalHandlers() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, nullptr);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0) continue;
    // Ignored since the start (nohup, a background job): it stays so.
    if ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL) continue;
    struct sigaction handler {};
    handler.sa_handler = removeTemporariesAndEnd;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = SA_RESETHAND;
    ::sigaction(sig, &handler, nullptr);
  }
}

void setBeforePlacingHook(std::function<void(const std::string& target)> hook) {
  beforePlacingHook() = std::move(hook);
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
