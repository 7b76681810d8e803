#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "support/Child.h"
#include "support/TempDir.h"

extern char** environ;

namespace volmar::test {

// What one run of volmar-batch left behind.
struct BatchResult {
  int status = -1;  // exit status; -1 when it did not exit normally
  int signal = 0;   // the signal that ended it, if one did
  std::string out;
  std::string err;
};

// How volmar-batch is started besides its arguments.
struct BatchOptions {
  std::string outPath;                   // replaces the file standard output goes to
  rlim_t fileSizeLimit = RLIM_INFINITY;  // ulimit -f, in bytes
  rlim_t memoryLimit = RLIM_INFINITY;    // ulimit -v (address space), in bytes
  std::string fontConfig;                // FONTCONFIG_FILE for it, when not empty
  std::optional<Identity> as;            // the user it runs as (the tests run as root)
};

// A volmar-batch process of its own, with standard input from `input` and
// standard output and error collected in files. It starts as a program
// started from a shell does: the signals that end a program have their
// default actions, whatever the test process has set.
class RunningBatch {
 public:
  RunningBatch(const std::vector<std::string>& args, const std::string& input = "", BatchOptions options = {})
      : options_(std::move(options)) {
    const std::string in = io_.write("stdin", input);
    const std::string out = options_.outPath.empty() ? io_.file("stdout") : options_.outPath;
    const std::string err = io_.file("stderr");
    std::vector<std::string> all{VOLMAR_BATCH_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
      if (options_.fontConfig.empty() || std::string(*e).rfind("FONTCONFIG_FILE=", 0) != 0) env.emplace_back(*e);
    if (!options_.fontConfig.empty()) env.push_back("FONTCONFIG_FILE=" + options_.fontConfig);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    // Only async-signal-safe calls between fork and exec.
    pid_ = ::fork();
    if (pid_ != 0) return;
    const int fds[3] = {::open(in.c_str(), O_RDONLY), ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
                        ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)};
    for (int i = 0; i < 3; ++i)
      if (fds[i] < 0 || ::dup2(fds[i], i) < 0) ::_exit(127);
    for (const int sig : {SIGXFSZ, SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (options_.fileSizeLimit != RLIM_INFINITY) {
      rlimit lim{};
      ::getrlimit(RLIMIT_FSIZE, &lim);
      lim.rlim_cur = options_.fileSizeLimit;
      if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) ::_exit(127);
    }
    if (options_.memoryLimit != RLIM_INFINITY) {
      rlimit lim{};
      ::getrlimit(RLIMIT_AS, &lim);
      lim.rlim_cur = options_.memoryLimit;
      if (::setrlimit(RLIMIT_AS, &lim) != 0) ::_exit(127);
    }
    if (options_.as && (::setgroups(options_.as->groups.size(), options_.as->groups.data()) != 0 ||
                        ::setgid(options_.as->gid) != 0 || ::setuid(options_.as->uid) != 0))
      ::_exit(127);
    ::execve(VOLMAR_BATCH_EXE, argv.data(), envp.data());
    ::_exit(127);
  }
  ~RunningBatch() {
    if (pid_ > 0 && !waited_) {
      ::kill(pid_, SIGKILL);
      wait();
    }
  }
  RunningBatch(const RunningBatch&) = delete;
  RunningBatch& operator=(const RunningBatch&) = delete;

  pid_t pid() const { return pid_; }

  // Waits until it has ended, or kills it after `seconds` (a hang: no
  // result), and collects what it left.
  std::optional<BatchResult> waitFor(int seconds) {
    for (int tenth = 0; tenth < 10 * seconds; ++tenth) {
      int ws = 0;
      const pid_t done = ::waitpid(pid_, &ws, WNOHANG);
      if (done == pid_) {
        waited_ = true;
        return collect(ws);
      }
      ::usleep(100000);
    }
    return std::nullopt;  // the destructor kills it
  }

  // Waits until it has ended and collects what it left.
  BatchResult wait() {
    BatchResult r;
    if (pid_ < 0 || waited_) return r;
    int ws = 0;
    while (::waitpid(pid_, &ws, 0) < 0 && errno == EINTR) {
    }
    waited_ = true;
    return collect(ws);
  }

 private:
  BatchResult collect(int ws) {
    BatchResult r;
    if (WIFEXITED(ws)) r.status = WEXITSTATUS(ws);
    if (WIFSIGNALED(ws)) r.signal = WTERMSIG(ws);
    if (options_.outPath.empty()) r.out = readFile(io_.file("stdout"));
    r.err = readFile(io_.file("stderr"));
    return r;
  }

  BatchOptions options_;
  TempDir io_;
  pid_t pid_ = -1;
  bool waited_ = false;
};

// Runs volmar-batch as its own process with the arguments given, standard
// input from `input`, and collects standard output, standard error and
// the exit status. `outPath` replaces the file standard output goes to.
inline BatchResult runBatch(const std::vector<std::string>& args, const std::string& input = "",
                            const std::string& outPath = "") {
  BatchOptions options;
  options.outPath = outPath;
  return RunningBatch(args, input, options).wait();
}

// A font configuration with the system's fonts and settings whose cache
// lies in `cacheDir`: a program that runs out of memory while it reads the
// font cache writes a new one, and must not write it over the system's.
inline std::string privateFontConfig(const TempDir& dir, const std::string& cacheDir) {
  return dir.write("fonts.conf",
                   "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                   "<fontconfig>\n<dir>/usr/share/fonts</dir>\n<dir>/usr/local/share/fonts</dir>\n"
                   "<include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n<cachedir>" +
                       cacheDir + "</cachedir>\n</fontconfig>\n");
}

// Runs volmar-batch with its address space limited to `bytes` (as a system
// short of memory would leave it; no limit when 0), with the font
// configuration `fontConfig`.
inline BatchResult runBatchWithAddressSpace(const std::vector<std::string>& args, rlim_t bytes,
                                            const std::string& fontConfig) {
  BatchOptions options;
  if (bytes != 0) options.memoryLimit = bytes;
  options.fontConfig = fontConfig;
  return RunningBatch(args, "", options).wait();
}

// Runs a script written to a file of its own.
inline BatchResult runScript(const TempDir& dir, const std::string& script,
                             const std::vector<std::string>& options = {}) {
  std::vector<std::string> args = options;
  args.push_back(dir.write("script.vb", script));
  return runBatch(args);
}

inline std::string irisPath() { return std::string(VOLMAR_SAMPLE_DATA_DIR) + "/iris.dat"; }

inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t nl = text.find('\n', pos);
    lines.push_back(text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos));
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  return lines;
}

}  // namespace volmar::test
