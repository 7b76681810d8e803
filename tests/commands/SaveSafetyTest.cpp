// Saves that stay safe when the world around them changes: a second writer
// taking the same name, devices and pipes, names that are not UTF-8, shared
// folders, the longest names, the file size limit and ending signals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "commands/BubbleMap.h"
#include "commands/Compare.h"
#include "commands/FileIO.h"
#include "commands/SaveFiles.h"
#include "support/Child.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using namespace volmar::test;
namespace fs = std::filesystem;

namespace {

// The hook of the saves in this process, for one test.
class PlacingHook {
 public:
  explicit PlacingHook(std::function<void(const std::string&)> hook) { setBeforePlacingHook(std::move(hook)); }
  ~PlacingHook() { setBeforePlacingHook(nullptr); }
  PlacingHook(const PlacingHook&) = delete;
  PlacingHook& operator=(const PlacingHook&) = delete;
};

void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct stat nodeOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

std::string xattr(const std::string& path, const char* name) {
  char value[256];
  const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
  return n < 0 ? std::string("(none: ") + std::strerror(errno) + ")" : std::string(value, static_cast<std::size_t>(n));
}

// A workspace whose every result file has a line or more: one prototype of
// one variable (4), a case in one block, four cases and two replications for
// the comparison.
struct Saving {
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};
  explicit Saving(float value = 4) {
    ws->NumPrototypes = 1;
    ws->NumVars = 1;
    ws->Prototypes(1, 1) = value;
    ws->NumCases = 4;
    ws->NumReplications = 2;
    ws->BlockSize = 1;
  }
};

const std::string SavedPrototypes = " 4.000 \r\n";

// The bubble window's "&Save chart", with a small bitmap.
void saveBubbleChart(Context& c) {
  FileDialog dialog;
  savechart1Click(c.shell, dialog, [] { return std::string("BM bitmap"); });
}

bool said(const std::vector<std::string>& messages, const std::string& piece) {
  return std::any_of(messages.begin(), messages.end(),
                     [&](const std::string& m) { return m.find(piece) != std::string::npos; });
}

}  // namespace

// ---- A second writer under the same name --------------------------------------

TEST(SecondWriter, ANameThatAppearsWhileTheFileIsWrittenIsNeverReplaced) {
  // Whatever another program puts there between the choice of the name and
  // the moment the new file would take it.
  const struct {
    const char* what;
    std::function<void(const std::string&)> make;
  } appearing[] = {
      {"a file", [](const std::string& p) { writeText(p, "the other writer's"); }},
      {"a link to elsewhere", [](const std::string& p) { fs::create_symlink("elsewhere", p); }},
      {"a pipe", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }},
      {"a folder", [](const std::string& p) { fs::create_directory(p); }},
  };
  for (const auto& a : appearing) {
    SCOPED_TRACE(a.what);
    TempDir dir;
    const std::string path = dir.file("p.wgt");
    const fs::file_type kind = [&] {
      const PlacingHook hook([&](const std::string& target) {
        EXPECT_EQ(target, path);
        EXPECT_TRUE(hasTemporary(dir.path())) << "the new contents are complete beside the target";
        a.make(path);
      });
      try {
        writeNewFile(path, "mine");
        ADD_FAILURE() << "the save replaced what had appeared";
      } catch (const FileExistsError& e) {
        EXPECT_EQ(std::string(e.what()), path + " exists and was not replaced");
      }
      return fs::symlink_status(path).type();
    }();
    EXPECT_NE(kind, fs::file_type::not_found);
    if (kind == fs::file_type::regular) {
      EXPECT_EQ(readFile(path), "the other writer's");
    }
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"p.wgt"}) << "no temporary file stays";
  }
}

TEST(SecondWriter, TheSaveProceduresAskAgainWhenTheNameWasTakenMeanwhile) {
  // Every kind of saved file, and every answer to the question asked again.
  const struct {
    const char* what;
    void (*command)(Context&);
    const char* completion;  // the start of the message once written
  } writers[] = {
      {"prototypes", prototypes2Click, "Prototypes file written."},
      {"class labels", classlabels1Click, "Class labels written."},
      {"comparison", compareoverreplications1Click, "Error hits distribution written to file "},
      {"bubble chart", saveBubbleChart, "Chart file written."},
  };
  const struct {
    Answer answer;
    const char* inFirst;  // what the first name holds at the end
    bool second;          // the dialog was shown again and its name written
  } answers[] = {
      {Answer::Cancel, "theirs", false},
      {Answer::No, "theirs", true},
      {Answer::Yes, nullptr, false},  // replaced by ours
  };
  for (const auto& w : writers) {
    for (const auto& a : answers) {
      SCOPED_TRACE(std::string(w.what) + ", answered " + std::to_string(static_cast<int>(a.answer)));
      TempDir dir;
      Saving s;
      const std::string first = dir.file("first"), second = dir.file("second");
      s.shell.saveFiles = {first, second};
      s.shell.answers.push_back(a.answer);
      const PlacingHook hook([&](const std::string&) {
        if (!fs::exists(first)) writeText(first, "theirs");
      });
      runCommand(s.ctx, w.command);
      EXPECT_EQ(s.shell.questions, std::vector<std::string>{"Replace " + first + "?"});
      EXPECT_EQ(s.shell.saveDialogsShown.size(), a.second ? 2u : 1u);
      if (a.inFirst) {
        EXPECT_EQ(readFile(first), a.inFirst);
      } else {
        EXPECT_NE(readFile(first), "theirs");
        EXPECT_FALSE(readFile(first).empty());
      }
      EXPECT_EQ(fs::exists(second), a.second);
      EXPECT_EQ(said(s.shell.messages, w.completion), a.answer != Answer::Cancel)
          << testing::PrintToString(s.shell.messages);
      EXPECT_FALSE(hasTemporary(dir.path()));
    }
  }
}

// ---- Devices and pipes ------------------------------------------------------------

TEST(SaveIntoNodes, DevicesAndPipesAreWrittenIntoAndNeverReplaced) {
  ASSERT_EQ(::geteuid(), 0u) << "making device nodes with mknod needs root (the CI runs the tests as root)";
  TempDir dir;
  ASSERT_EQ(::mknod(dir.file("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0) << std::strerror(errno);
  ASSERT_EQ(::mknod(dir.file("full").c_str(), S_IFCHR | 0666, ::makedev(1, 7)), 0) << std::strerror(errno);
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0) << std::strerror(errno);
  fs::create_symlink("null", dir.file("link-to-null"));
  const struct {
    const char* name;
    bool reader;        // a program reads from the pipe
    const char* error;  // part of the message; nullptr: written
  } cases[] = {
      {"null", false, nullptr},
      {"full", false, "No space left on device"},
      {"fifo", true, nullptr},
      {"fifo", false, "no reader (no program reads from this pipe)"},
      {"link-to-null", false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.reader ? " with a reader" : ""));
    const std::string path = dir.file(c.name);
    const struct stat before = nodeOf(path);
    // The reading end is open before the save, as a reading program's would be.
    const int reader = c.reader ? ::open(path.c_str(), O_RDONLY | O_NONBLOCK) : -1;
    Saving s;
    s.shell.saveFiles.push_back(path);
    s.shell.answers.push_back(Answer::Yes);
    runCommand(s.ctx, prototypes2Click);
    if (c.error) {
      ASSERT_EQ(s.shell.messages.size(), 1u);
      EXPECT_EQ(s.shell.messages[0], "Cannot write file \"" + path + "\": " + c.error);
    } else {
      EXPECT_EQ(s.shell.messages, std::vector<std::string>{"Prototypes file written."});
    }
    if (reader >= 0) {
      std::string got;
      char buf[256];
      ssize_t n;
      while ((n = ::read(reader, buf, sizeof buf)) > 0) got.append(buf, static_cast<std::size_t>(n));
      ::close(reader);
      EXPECT_EQ(got, SavedPrototypes);
    }
    const struct stat after = nodeOf(path);
    EXPECT_EQ(after.st_mode, before.st_mode) << "the node is still what it was";
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_EQ(after.st_ino, before.st_ino);
  }
  EXPECT_TRUE(S_ISCHR(nodeOf(dir.file("null")).st_mode));
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"fifo", "full", "link-to-null", "null"}));
}

// ---- Names -----------------------------------------------------------------------------

TEST(SaveNames, NamesThatAreNotUtf8AreKeptByteForByte) {
  TempDir dir;
  const std::string names[] = {"caf\xfc.wgt", "caf\xe9.wgt", "\xff\xfe.wgt"};
  float value = 1;
  for (const std::string& name : names) {
    Saving s(value++);
    s.shell.saveFiles.push_back(dir.file(name));
    runCommand(s.ctx, prototypes2Click);
    EXPECT_TRUE(s.shell.questions.empty()) << "each is a name of its own";
    EXPECT_EQ(s.shell.messages, std::vector<std::string>{"Prototypes file written."});
  }
  std::vector<std::string> expected(std::begin(names), std::end(names));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(namesIn(dir.path()), expected);
  EXPECT_EQ(readFile(dir.file(names[0])), " 1.000 \r\n");
  EXPECT_EQ(readFile(dir.file(names[1])), " 2.000 \r\n");
  EXPECT_EQ(readFile(dir.file(names[2])), " 3.000 \r\n");
}

TEST(SaveNames, EveryNameTheSystemCanCreateCanBeSaved) {
  TempDir dir;
  // A path of 4095 bytes, the most the system takes: folders of up to 200
  // bytes, then the rest as the file's name.
  std::string deep = dir.path();
  for (std::size_t rest = 4095 - deep.size() - 1; rest > 255; rest = 4095 - deep.size() - 1) {
    deep += "/" + std::string(std::min<std::size_t>(200, rest - 101), 'd');
    ASSERT_TRUE(fs::create_directory(deep));
  }
  const std::string longestPath = deep + "/" + std::string(4095 - deep.size() - 1, 'p');
  ASSERT_EQ(longestPath.size(), 4095u);
  const std::string longestName = dir.file(std::string(255, 'n'));
  const struct {
    const char* what;
    std::string path;
    const char* error;  // nullptr: saved
  } cases[] = {
      {"name of 255 bytes", longestName, nullptr},
      {"path of 4095 bytes", longestPath, nullptr},
      {"name of 256 bytes", dir.file(std::string(256, 'n')), "File name too long"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    try {
      checkFileWritable(c.path);
      writeNewFile(c.path, "first");
      writeFileReplacing(c.path, "second");
    } catch (const FileWriteError& e) {
      error = e.what();
    }
    if (c.error) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      std::error_code ec;
      EXPECT_FALSE(fs::exists(c.path, ec));
    } else {
      EXPECT_EQ(error, "");
      EXPECT_EQ(readFile(c.path), "second");
    }
    EXPECT_FALSE(hasTemporary(fs::path(c.path).parent_path().string()));
  }
  // And through the save procedure.
  Saving s;
  fs::remove(longestName);
  s.shell.saveFiles.push_back(longestName);
  runCommand(s.ctx, prototypes2Click);
  EXPECT_EQ(s.shell.messages, std::vector<std::string>{"Prototypes file written."});
  EXPECT_EQ(readFile(longestName), SavedPrototypes);
}

// ---- Shared folders ---------------------------------------------------------------------

namespace {

// An access control list as the system keeps it in the system.posix_acl_access
// attribute: the owner, the named user, the group, the mask and the others.
std::string aclGranting(std::uint32_t user) {
  auto le16 = [](std::string& s, std::uint16_t v) { s.append({static_cast<char>(v & 0xff), static_cast<char>(v >> 8)}); };
  auto le32 = [&](std::string& s, std::uint32_t v) {
    le16(s, static_cast<std::uint16_t>(v & 0xffff));
    le16(s, static_cast<std::uint16_t>(v >> 16));
  };
  std::string acl;
  le32(acl, 2);  // version
  const struct {
    std::uint16_t tag, perm;
    std::uint32_t id;
  } entries[] = {{0x01, 6, 0xffffffff}, {0x02, 6, user}, {0x04, 6, 0xffffffff}, {0x10, 6, 0xffffffff},
                 {0x20, 4, 0xffffffff}};
  for (const auto& e : entries) {
    le16(acl, e.tag);
    le16(acl, e.perm);
    le32(acl, e.id);
  }
  return acl;
}

}  // namespace

TEST(SharedFolders, AReplacedFileKeepsItsGroupAttributesAndAclSoThatTheNextMemberCanWriteIt) {
  ASSERT_EQ(::geteuid(), 0u) << "a team folder of other users needs root to set up (the CI runs the tests as root)";
  constexpr gid_t Team = 4200;
  const Identity memberA{4201, 4201, {Team}}, memberB{4202, 4202, {Team}}, outsider{4203, 4203, {}};
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::string folder = dir.file("team");
  fs::create_directory(folder);
  ASSERT_EQ(::chown(folder.c_str(), 0, Team), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0775), 0);
  const std::string file = folder + "/team.wgt";
  writeText(file, "old");
  ASSERT_EQ(::chown(file.c_str(), 0, Team), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0664), 0);
  ASSERT_EQ(::setxattr(file.c_str(), "user.origin", "survey", 6, 0), 0)
      << "the file system takes no extended attributes here: " << std::strerror(errno);
  const std::string acl = aclGranting(outsider.uid);
  ASSERT_EQ(::setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0)
      << "the file system takes no access control lists here: " << std::strerror(errno);
  // A second name of the same file: the saves cannot keep it (documented).
  const std::string otherLink = folder + "/also.wgt";
  fs::create_hard_link(file, otherLink);

  auto saveAs = [&](const std::optional<Identity>& who, const std::string& text) {
    const ChildResult r = runInChild(
        [&] {
          writeFileReplacing(file, text);
          return std::string();
        },
        who);
    EXPECT_TRUE(r.started && r.exitStatus == 0) << "the save could not run as that user";
    return r.text;
  };
  const struct {
    const char* what;
    std::optional<Identity> who;
    const char* error;  // nullptr: written
    uid_t owner;        // afterwards
  } saves[] = {
      {"a member", memberA, nullptr, memberA.uid},  // may not give it to root
      {"the next member", memberB, nullptr, memberB.uid},
      {"root", std::nullopt, nullptr, memberB.uid},  // keeps the owner too
      {"the user of the ACL, not in the team", outsider, "Permission denied", memberB.uid},
  };
  std::string expected = "old";
  for (const auto& s : saves) {
    SCOPED_TRACE(s.what);
    const std::string error = saveAs(s.who, std::string("by ") + s.what);
    if (s.error) {
      // The outsider's ACL entry lets it write the file, but not make one in
      // the folder.
      EXPECT_NE(error.find(s.error), std::string::npos) << error;
    } else {
      EXPECT_EQ(error, "");
      expected = std::string("by ") + s.what;
    }
    EXPECT_EQ(readFile(file), expected);
    const struct stat st = nodeOf(file);
    EXPECT_EQ(st.st_uid, s.owner);
    EXPECT_EQ(st.st_gid, Team);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    EXPECT_EQ(xattr(file, "user.origin"), "survey");
    EXPECT_EQ(xattr(file, "system.posix_acl_access"), acl);
    EXPECT_FALSE(hasTemporary(folder));
  }
  EXPECT_EQ(readFile(otherLink), "old") << "a second link keeps the old contents";
  EXPECT_EQ(nodeOf(file).st_nlink, 1u);
}

// ---- The file size limit and ending signals ------------------------------------------------

TEST(SaveLimits, AFileSizeLimitFailsTheSaveWithItsReasonInsteadOfEndingTheProgram) {
  for (const bool replacing : {true, false}) {
    SCOPED_TRACE(replacing ? "replacing" : "new");
    TempDir dir;
    const std::string path = replacing ? dir.write("old.lst", "old contents") : dir.file("new.lst");
    const ChildResult r = runInChild([&] {
      // As the program starts: the signal's default action ends it.
      std::signal(SIGXFSZ, SIG_DFL);
      rlimit lim{};
      ::getrlimit(RLIMIT_FSIZE, &lim);
      lim.rlim_cur = 64;
      ::setrlimit(RLIMIT_FSIZE, &lim);
      if (replacing)
        writeFileReplacing(path, std::string(16384, 'x'));
      else
        writeNewFile(path, std::string(16384, 'x'));
      return std::string("written");
    });
    EXPECT_EQ(r.signal, 0) << "the save ended the program";
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.text, "Cannot write file \"" + path + "\": File too large");
    EXPECT_EQ(namesIn(dir.path()), replacing ? std::vector<std::string>{"old.lst"} : std::vector<std::string>{});
    if (replacing) {
      EXPECT_EQ(readFile(path), "old contents");
    }
  }
}

TEST(SaveSignals, AnEndingSignalDuringASaveRemovesTheTemporaryFile) {
  const struct {
    const char* what;
    int sig;
    bool ignoredAtStart;  // the program was started to ignore it (nohup)
  } cases[] = {
      {"SIGINT", SIGINT, false},
      {"SIGTERM", SIGTERM, false},
      {"SIGHUP", SIGHUP, false},
      {"SIGTERM ignored", SIGTERM, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir, notes;
    const std::string path = dir.write("big.lst", "old contents");
    const std::string big(8u << 20, 'x');
    const ChildResult r = runInChild([&] {
      std::signal(c.sig, c.ignoredAtStart ? SIG_IGN : SIG_DFL);
      installSaveSignalHandlers();
      setBeforePlacingHook([&](const std::string&) {
        // The whole new file is there under its temporary name.
        if (hasTemporary(dir.path())) writeText(notes.file("seen"), "temporary file seen");
        ::raise(c.sig);
      });
      writeFileReplacing(path, big);
      return std::string("finished");
    });
    EXPECT_EQ(readFile(notes.file("seen")), "temporary file seen");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"big.lst"}) << "no temporary file stays";
    if (c.ignoredAtStart) {
      EXPECT_EQ(r.text, "finished");
      EXPECT_EQ(fs::file_size(path), big.size());
    } else {
      EXPECT_EQ(r.signal, c.sig) << "the program ends as the signal says";
      EXPECT_EQ(readFile(path), "old contents");
    }
  }
}
