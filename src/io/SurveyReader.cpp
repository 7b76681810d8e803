#include "io/SurveyReader.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace volmar::io {

namespace {

std::mutex programMutex;
std::string program;
ReaderLimits readerLimits;

std::string defaultProgram() {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const auto beside = self.parent_path() / "volmar-survey-reader";
    if (std::filesystem::exists(beside, ec)) return beside.string();
  }
#ifdef VOLMAR_SURVEY_READER_BUILT
  return VOLMAR_SURVEY_READER_BUILT;
#else
  return "volmar-survey-reader";
#endif
}

// Closes a descriptor when it goes.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

std::string nothingImported(const std::string& text) { return text + "\r\nNothing was imported."; }

}  // namespace

void setSurveyReaderProgram(std::string path) {
  std::lock_guard lock(programMutex);
  program = std::move(path);
}

std::string surveyReaderProgram() {
  std::lock_guard lock(programMutex);
  return program.empty() ? defaultProgram() : program;
}

void setSurveyReaderLimits(const ReaderLimits& limits) {
  std::lock_guard lock(programMutex);
  readerLimits = limits;
}

void runSurveyReader(const std::vector<std::string>& args, const std::string& what,
                     const std::function<void(std::string_view)>& onOutput) {
  const std::string exe = surveyReaderProgram();
  ReaderLimits limits;
  {
    std::lock_guard lock(programMutex);
    limits = readerLimits;
  }
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw SurveyReaderError(std::strerror(errno));
  Fd outRead{out[0]}, outWrite{out[1]};
  if (::pipe2(err, O_CLOEXEC) != 0) throw SurveyReaderError(std::strerror(errno));
  Fd errRead{err[0]}, errWrite{err[1]};
  std::vector<std::string> all{exe};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid < 0) throw SurveyReaderError("The file reader cannot be started: " + std::string(std::strerror(errno)));
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
#if !defined(__SANITIZE_ADDRESS__)
    // (A reader built with AddressSanitizer reserves its shadow memory up
    // front and cannot start under any address-space limit.)
    const rlimit mem{limits.memoryBytes, limits.memoryBytes};
    ::setrlimit(RLIMIT_AS, &mem);
#endif
    const rlimit cpu{static_cast<rlim_t>(limits.seconds), static_cast<rlim_t>(limits.seconds) + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
    const rlimit core{0, 0};
    ::setrlimit(RLIMIT_CORE, &core);
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(outWrite.fd);
  outWrite.fd = -1;
  ::close(errWrite.fd);
  errWrite.fd = -1;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.seconds);
  std::string errors;
  bool timedOut = false;
  bool outOpen = true, errOpen = true;
  std::vector<char> buf(std::size_t{1} << 16);
  auto stop = [&] {
    ::kill(pid, SIGKILL);
    int st = 0;
    while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
  };
  try {
    while (outOpen || errOpen) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        timedOut = true;
        break;
      }
      pollfd fds[2] = {{outOpen ? outRead.fd : -1, POLLIN, 0}, {errOpen ? errRead.fd : -1, POLLIN, 0}};
      const int n = ::poll(fds, 2, static_cast<int>(left.count()));
      if (n < 0 && errno == EINTR) continue;
      for (int k = 0; k < 2; ++k) {
        if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t got = ::read(fds[k].fd, buf.data(), buf.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
          (k == 0 ? outOpen : errOpen) = false;
          continue;
        }
        if (k == 0) onOutput(std::string_view(buf.data(), static_cast<std::size_t>(got)));
        else if (errors.size() < 2000) errors.append(buf.data(), static_cast<std::size_t>(got));
      }
    }
  } catch (...) {
    stop();
    throw;
  }
  if (timedOut) {
    stop();
    throw SurveyReaderError(nothingImported("Reading " + what + " took longer than " +
                                            std::to_string(limits.seconds) + " seconds and was stopped."));
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) errors.pop_back();
  if (WIFSIGNALED(status)) {
    const int sig = WTERMSIG(status);
    if (sig == SIGXCPU || sig == SIGKILL)
      throw SurveyReaderError(nothingImported("Reading " + what + " took longer than " +
                                              std::to_string(limits.seconds) + " seconds and was stopped."));
    throw SurveyReaderError(nothingImported("The reader of " + what + " ended abnormally (" + strsignal(sig) +
                                            "): the file is damaged or of a kind it cannot read."));
  }
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (code == 127)
    throw SurveyReaderError("The file reader " + exe + " cannot be started; SPSS and Stata files cannot be read.");
  if (code != 0) {
    if (errors.find("memory") != std::string::npos || errors.find("bad_alloc") != std::string::npos)
      throw SurveyReaderError(nothingImported("Reading " + what + " needs more memory than the reader may take (" +
                                              std::to_string(limits.memoryBytes >> 20) + " MB)."));
    throw SurveyReaderError(nothingImported("The file " + what + " cannot be read: " +
                                            (errors.empty() ? std::string("the reader failed") : errors) + "."));
  }
}

}  // namespace volmar::io
