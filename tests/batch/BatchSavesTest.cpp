// volmar-batch's saves and PDF files when the world around them changes: two
// runs saving the same new name, devices and pipes, names that are not
// UTF-8, a team folder, the longest names, the file size limit and a
// termination during a save.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "BatchProcess.h"
#include "support/Pdf.h"

using namespace volmar::test;
namespace fs = std::filesystem;

namespace {

const std::string Refusal = " exists and was not replaced; add replace=yes to overwrite it";

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

// The lines that give a run prototypes to save: the iris data and the
// prototypes file's numbers.
std::string withPrototypes(const TempDir& dir, const std::string& name, const std::string& numbers) {
  return "open " + irisPath() + " vars=4\nparameterize lower=2 upper=2 epochs=2\nreadprototypes " +
         dir.write(name, numbers) + "\n";
}

}  // namespace

TEST(BatchSaves, TwoRunsSavingTheSameNewNameHaveOneWinnerAndOneRefusal) {
  TempDir dir;
  const std::string setupA = withPrototypes(dir, "a.wgt", "1 1 1 1\r\n2 2 2 2\r\n");
  const std::string setupB = withPrototypes(dir, "b.wgt", "7 7 7 7\r\n8 8 8 8\r\n");
  // What each run writes when it is alone.
  ASSERT_EQ(runScript(dir, setupA + "save prototypes " + dir.file("alone-a.wgt") + "\n").status, 0);
  ASSERT_EQ(runScript(dir, setupB + "save prototypes " + dir.file("alone-b.wgt") + "\n").status, 0);
  const std::string savedA = readFile(dir.file("alone-a.wgt")), savedB = readFile(dir.file("alone-b.wgt"));
  ASSERT_NE(savedA, savedB);

  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string target = dir.file("race" + std::to_string(round) + ".wgt");
    const std::string line = "save prototypes " + target + "\n";
    RunningBatch a({dir.write("race-a.vb", setupA + line)});
    RunningBatch b({dir.write("race-b.vb", setupB + line)});
    const BatchResult ra = a.wait(), rb = b.wait();
    ASSERT_EQ(std::min(ra.status, rb.status), 0) << ra.err << rb.err;
    ASSERT_EQ(std::max(ra.status, rb.status), 1) << "exactly one run saves\n" << ra.err << rb.err;
    const bool aWon = ra.status == 0;
    const BatchResult& loser = aWon ? rb : ra;
    EXPECT_TRUE(contains(loser.err, target + Refusal)) << loser.err;
    EXPECT_EQ(readFile(target), aWon ? savedA : savedB) << "the winner's file, whole";
  }
  EXPECT_FALSE(hasTemporary(dir.path()));
}

TEST(BatchSaves, DevicesAndPipesAreWrittenIntoAndNeverReplaced) {
  ASSERT_EQ(::geteuid(), 0u) << "making device nodes with mknod needs root (the CI runs the tests as root)";
  TempDir dir;
  const std::string null = dir.file("null"), full = dir.file("full"), fifo = dir.file("fifo");
  ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0) << std::strerror(errno);
  ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)), 0) << std::strerror(errno);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
  const std::string setup = withPrototypes(dir, "p.wgt", "5 3.4 1.5 .2\r\n6.5 3 5.5 2\r\n");
  ASSERT_EQ(runScript(dir, setup + "save prototypes " + dir.file("plain.wgt") + "\n").status, 0);
  const std::string saved = readFile(dir.file("plain.wgt"));
  const struct {
    const char* command;
    const char* node;
    const char* answer;
    bool reader;  // a program reads from the pipe
    int status;
    std::string said;
  } cases[] = {
      {"save prototypes", "null", " replace=yes", false, 0, "message: Prototypes file written."},
      {"save prototypes", "null", "", false, 1, null + Refusal},
      {"save prototypes", "full", " replace=yes", false, 1, "\": No space left on device"},
      {"save prototypes", "fifo", " replace=yes", true, 0, "message: Prototypes file written."},
      {"save prototypes", "fifo", " replace=yes", false, 1, "\": no reader (no program reads from this pipe)"},
      {"print listbox", "null", " replace=yes", false, 0, "message: Listbox sent to printer."},
      {"print listbox", "full", " replace=yes", false, 1, "\": No space left on device"},
  };
  for (const auto& c : cases) {
    const std::string name = c.node;
    const std::string line = std::string(c.command) + " " + dir.file(name) + c.answer;
    SCOPED_TRACE(line + (c.reader ? " (read)" : ""));
    const int reader = c.reader ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
    const BatchResult r = runScript(dir, setup + line + "\n");
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(contains(r.err, c.said)) << r.err;
    if (reader >= 0) {
      std::string got;
      char buf[256];
      ssize_t n;
      while ((n = ::read(reader, buf, sizeof buf)) > 0) got.append(buf, static_cast<std::size_t>(n));
      ::close(reader);
      EXPECT_EQ(got, saved);
    }
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file(name).c_str(), &st), 0);
    EXPECT_TRUE(name == "fifo" ? S_ISFIFO(st.st_mode) : S_ISCHR(st.st_mode)) << "the node was replaced";
  }
  EXPECT_FALSE(hasTemporary(dir.path()));
}

TEST(BatchSaves, NamesThatAreNotUtf8AreKeptByteForByteBySavesAndPdfFiles) {
  TempDir dir;
  const std::string setup = withPrototypes(dir, "p.wgt", "5 3.4 1.5 .2\r\n6.5 3 5.5 2\r\n");
  const std::string wgt = dir.file("caf\xfc.wgt"), pdf1 = dir.file("caf\xfc.pdf"), pdf2 = dir.file("caf\xe9.pdf");
  const BatchResult r = runScript(dir, setup + "save prototypes " + quoted(wgt) + "\nprint listbox " + quoted(pdf1) +
                                           "\nprint chart " + quoted(pdf2) + "\n");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const std::string& name : namesIn(dir.path())) EXPECT_FALSE(contains(name, "\xef\xbf\xbd")) << name;
  EXPECT_TRUE(fs::is_regular_file(wgt));
  EXPECT_EQ(readFile(wgt).substr(0, 6), " 5.000");
  EXPECT_EQ(pdfPageCount(pdf1), 1);
  EXPECT_EQ(pdfPageCount(pdf2), 1);
  const std::string first = readFile(pdf1);

  // Each name is a file of its own: printing again refuses without replace=yes.
  const BatchResult again = runScript(dir, "print listbox " + quoted(pdf1) + "\n");
  EXPECT_EQ(again.status, 1);
  EXPECT_TRUE(contains(again.err, pdf1 + Refusal)) << again.err;
  EXPECT_EQ(readFile(pdf1), first);
  const BatchResult replaced = runScript(dir, "print chart " + quoted(pdf1) + " replace=yes\n");
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_NE(readFile(pdf1), first);
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"caf\xe9.pdf", "caf\xfc.pdf", "caf\xfc.wgt", "p.wgt",
                                                           "script.vb"}));
}

TEST(BatchSaves, ATeamFolderKeepsItsFileWritableForEveryMember) {
  ASSERT_EQ(::geteuid(), 0u) << "a team folder of other users needs root to set up (the CI runs the tests as root)";
  constexpr gid_t Team = 4300;
  const Identity memberA{4301, 4301, {Team}}, memberB{4302, 4302, {Team}};
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::string setup = withPrototypes(dir, "p.wgt", "5 3.4 1.5 .2\r\n6.5 3 5.5 2\r\n");
  const std::string folder = dir.file("team");
  fs::create_directory(folder);
  ASSERT_EQ(::chown(folder.c_str(), 0, Team), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0775), 0);
  const std::string file = folder + "/team.wgt";
  dir.write("team/team.wgt", "old");
  ASSERT_EQ(::chown(file.c_str(), 0, Team), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0664), 0);
  ASSERT_EQ(::setxattr(file.c_str(), "user.origin", "survey", 6, 0), 0)
      << "the file system takes no extended attributes here: " << std::strerror(errno);
  for (const Identity& member : {memberA, memberB}) {
    SCOPED_TRACE("uid " + std::to_string(member.uid));
    const std::string script = dir.write("script" + std::to_string(member.uid) + ".vb",
                                         setup + "save prototypes " + file + " replace=yes\n");
    BatchOptions options;
    options.as = member;
    const BatchResult r = RunningBatch({script}, "", options).wait();
    ASSERT_EQ(r.status, 0) << r.err;
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, member.uid);
    EXPECT_EQ(st.st_gid, Team) << "the group stays, so that the next member can write it";
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    char value[16];
    const ssize_t n = ::getxattr(file.c_str(), "user.origin", value, sizeof value);
    EXPECT_EQ(std::string(value, n > 0 ? static_cast<std::size_t>(n) : 0), "survey");
  }
  EXPECT_EQ(readFile(file).substr(0, 6), " 5.000");
  EXPECT_FALSE(hasTemporary(folder));
}

TEST(BatchSaves, TheLongestNamesTheSystemTakesAreSaved) {
  TempDir dir;
  std::string deep = dir.path();
  for (std::size_t rest = 4095 - deep.size() - 1; rest > 255; rest = 4095 - deep.size() - 1) {
    deep += "/" + std::string(std::min<std::size_t>(200, rest - 101), 'd');
    ASSERT_TRUE(fs::create_directory(deep));
  }
  const std::string longestPath = deep + "/" + std::string(4095 - deep.size() - 1, 'p');
  const std::string longestName = dir.file(std::string(255, 'n'));
  const std::string setup = withPrototypes(dir, "p.wgt", "5 3.4 1.5 .2\r\n6.5 3 5.5 2\r\n");
  const BatchResult r = runScript(dir, setup + "save prototypes " + longestName + "\nsave prototypes " +
                                           longestName + " replace=yes\nsave prototypes " + longestPath + "\n");
  ASSERT_EQ(r.status, 0) << r.err.substr(0, 2000);
  EXPECT_EQ(readFile(longestName).substr(0, 6), " 5.000");
  EXPECT_EQ(readFile(longestPath).substr(0, 6), " 5.000");
}

TEST(BatchSaves, AFileSizeLimitFailsTheSaveWithItsReasonInsteadOfEndingTheRun) {
  TempDir dir;
  const std::string old = dir.write("old.lst", "old contents");
  // 150 cases of 20 replications: some 6 KB of labels, beyond the limit.
  const std::string script = dir.write("s.vb", "open " + irisPath() +
                                                   " vars=4\nparameterize lower=2 upper=2 epochs=1 reps=20\n"
                                                   "save labels " + old + " replace=yes\n"
                                                   "save labels " + dir.file("new.lst") + "\n");
  BatchOptions options;
  options.outPath = "/dev/null";
  options.fileSizeLimit = 4096;
  const BatchResult r = RunningBatch({script}, "", options).wait();
  EXPECT_EQ(r.signal, 0) << "the limit ended the run";
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(contains(r.err, "message: Cannot write file \"" + old + "\": File too large")) << r.err;
  EXPECT_EQ(readFile(old), "old contents");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"old.lst", "s.vb"}));
}

TEST(BatchSaves, ATerminationDuringASaveLeavesNoTemporaryFile) {
  // The run saves large files one after the other; the moment a temporary
  // file appears the run is stopped, and if the temporary file is still
  // there it is terminated in the middle of that save. A run whose save had
  // already finished when it stopped goes on, and the next one is tried.
  TempDir dir;
  std::string data;
  for (int c = 0; c < 30000; ++c) data += std::to_string(c % 97) + " " + std::to_string(c % 89) + "\n";
  dir.write("big.dat", data);
  std::string script = "open " + dir.file("big.dat") + " vars=2\nparameterize lower=2 upper=2 epochs=1 reps=50\n";
  const std::string out = dir.file("out");
  fs::create_directory(out);
  for (int i = 0; i < 10; ++i) script += "save labels " + out + "/labels" + std::to_string(i) + ".lst\n";
  dir.write("s.vb", script);

  int terminatedInSave = 0;
  for (int run = 0; run < 30 && terminatedInSave == 0; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    for (const auto& name : namesIn(out)) fs::remove(out + "/" + name);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, out.c_str(), IN_CREATE), 0);
    RunningBatch batch({dir.file("s.vb")});
    const pid_t pid = batch.pid();
    // Readable once the run has ended.
    const int exited = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    ASSERT_GE(exited, 0) << std::strerror(errno);
    bool ended = false;
    while (!ended && terminatedInSave == 0) {
      pollfd fds[2] = {{watch, POLLIN, 0}, {exited, POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        ADD_FAILURE() << std::strerror(errno);
        break;
      }
      if ((fds[0].revents & POLLIN) == 0) {
        ended = true;
        break;
      }
      alignas(inotify_event) char buf[4096];
      const ssize_t n = ::read(watch, buf, sizeof buf);
      for (ssize_t at = 0; at < n;) {
        const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        if (ev->len == 0 || std::strncmp(ev->name, ".volmar-", 8) != 0) continue;
        // Stopped for sure before looking: waitid reports the stop (and
        // leaves it, and an exit, to be collected later).
        ::kill(pid, SIGSTOP);
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WSTOPPED | WEXITED | WNOWAIT) != 0 ||
            info.si_code != CLD_STOPPED) {
          ended = true;
          break;
        }
        if (fs::exists(out + "/" + ev->name)) {
          ::kill(pid, SIGTERM);
          ++terminatedInSave;
        }
        ::kill(pid, SIGCONT);
        break;
      }
    }
    ::close(exited);
    ::close(watch);
    const BatchResult r = batch.wait();
    if (terminatedInSave) {
      EXPECT_EQ(r.signal, SIGTERM) << r.err;
    } else {
      EXPECT_EQ(r.status, 0) << r.err;
    }
    EXPECT_FALSE(hasTemporary(out)) << "a temporary file was left behind";
    for (const auto& name : namesIn(out)) EXPECT_EQ(fs::file_size(out + "/" + name), 3060000u) << name;
  }
  EXPECT_EQ(terminatedInSave, 1) << "no run was caught in the middle of a save";
}
