#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace volmar::test {

// What one run of volmar-batch left behind.
struct BatchResult {
  int status = -1;  // exit status; -1 when it did not exit normally
  int signal = 0;   // the signal that ended it, when one did
  std::string out;
  std::string err;
};

// Runs volmar-batch as its own process with the arguments given, standard
// input from `input`, and collects standard output, standard error and
// the exit status. `outPath` replaces the file standard output goes to.
inline BatchResult runBatch(const std::vector<std::string>& args, const std::string& input = "",
                            const std::string& outPath = "") {
  TempDir io;
  const std::string in = io.write("stdin", input);
  const std::string out = outPath.empty() ? io.file("stdout") : outPath;
  const std::string err = io.file("stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> all{VOLMAR_BATCH_EXE};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  BatchResult r;
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, VOLMAR_BATCH_EXE, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return r;
  int ws = 0;
  while (waitpid(pid, &ws, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(ws)) r.status = WEXITSTATUS(ws);
  if (WIFSIGNALED(ws)) r.signal = WTERMSIG(ws);
  if (outPath.empty()) r.out = readFile(out);
  r.err = readFile(err);
  return r;
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

// Runs volmar-batch on a script file with its address space limited to
// `bytes` (as a system short of memory would leave it), with the font
// configuration `fontConfig`; standard output is dropped. status stays -1
// when the child could not be started; no limit when bytes is 0.
inline BatchResult runBatchWithAddressSpace(const std::vector<std::string>& args, rlim_t bytes,
                                            const std::string& fontConfig) {
  TempDir io;
  const std::string err = io.file("stderr");
  std::vector<std::string> all{VOLMAR_BATCH_EXE};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("FONTCONFIG_FILE=", 0) != 0) env.emplace_back(*e);
  env.push_back("FONTCONFIG_FILE=" + fontConfig);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  BatchResult r;
  const pid_t pid = fork();
  if (pid < 0) return r;
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    const int in = open("/dev/null", O_RDONLY);
    const int out = open("/dev/null", O_WRONLY);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || e < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(e, 2) < 0) _exit(127);
    const rlimit lim{bytes, bytes};
    if (bytes != 0 && setrlimit(RLIMIT_AS, &lim) != 0) _exit(127);
    execve(VOLMAR_BATCH_EXE, argv.data(), envp.data());
    _exit(127);
  }
  int ws = 0;
  while (waitpid(pid, &ws, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(ws)) r.status = WEXITSTATUS(ws);
  if (WIFSIGNALED(ws)) r.signal = WTERMSIG(ws);
  r.err = readFile(err);
  return r;
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
