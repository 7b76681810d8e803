// Hostile input, one table: every row is run through volmar-batch and, where
// it is not about the script itself, through the command logic. Each gives
// a clear message and the documented exit status, writes nothing, and
// leaves a workspace in which the next command works on the data and
// prototypes that were read completely.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "BatchProcess.h"
#include "commands/Commands.h"
#include "commands/DataMatrixDialog.h"
#include "commands/ParamDialog.h"
#include "commands/ReadPrototypes.h"
#include "commands/Recall.h"
#include "commands/SaveFiles.h"
#include "support/ScriptedShell.h"

using namespace volmar;
using namespace volmar::test;

namespace {

enum class Kind {
  Data,        // open FILE vars=4
  Subsamples,  // open iris kind=ksamples subsamples=FILE
  Prototypes,  // readprototypes FILE, then recall
  DataEntry,   // open iris with KEY=VALUE in the data matrix dialog
  ParamEntry,  // parameterize KEY=VALUE
  Save,        // save prototypes FILE replace=yes
  Script,      // the script itself (volmar-batch only)
};

struct Hostile {
  std::string name;
  Kind kind;
  // The file (its path), the entry (its text) or the whole script.
  std::function<std::string(TempDir&)> make;
  std::string key;   // the answer key of an entry
  int status;        // volmar-batch's exit status
  std::string said;  // a piece of what both front ends say ("" when they accept it)
  bool keeps = true; // the data, shape and prototypes stay as they were
};

std::string file(TempDir& d, const std::string& name, const std::string& text) { return d.write(name, text); }

const std::string Prelude = "open " + irisPath() + " vars=4\nparameterize lower=2 upper=2 epochs=2\n";
const std::string GoodPrototypes = "5 3.4 1.5 .2\r\n6.5 3 5.5 2\r\n";

std::vector<Hostile> table() {
  std::vector<Hostile> t = {
      {"overflow", Kind::Data, [](TempDir& d) { return file(d, "a.dat", "1 2 3 1e39\n"); }, "", 1,
       "Line 1: '1e39' is beyond the range of the values that can be held."},
      {"overflow far", Kind::Data, [](TempDir& d) { return file(d, "a.dat", "1 2 3 4\n1 1e400 3 4\n"); }, "", 1,
       "Line 2: '1e400' is beyond the range"},
      {"nan", Kind::Data, [](TempDir& d) { return file(d, "a.dat", "1 nan 3 4\n"); }, "", 1,
       "Line 1: 'nan' is not a number."},
      {"inf", Kind::Data, [](TempDir& d) { return file(d, "a.dat", "-inf 2 3 4\n"); }, "", 1,
       "Line 1: '-inf' is not a number."},
      {"100 MB on one line", Kind::Data,
       [](TempDir& d) {
         std::string s;
         s.reserve(100u << 20);
         while (s.size() < (100u << 20)) s += "1 ";
         return file(d, "big.dat", s);
       },
       "", 0, "The lines of this file hold 52428800 numbers each; 4 variables were asked for.", false},
      {"one token of 5 MB", Kind::Data, [](TempDir& d) { return file(d, "a.dat", std::string(5u << 20, '7')); },
       "", 1, "Line 1: '7777777777777777777777777777777777777777...' is beyond the range"},
      {"a folder", Kind::Data,
       [](TempDir& d) {
         std::filesystem::create_directory(d.file("folder.dat"));
         return d.file("folder.dat");
       },
       "", 1, "\": Is a directory"},
      {"a device", Kind::Data, [](TempDir&) { return std::string("/dev/zero"); }, "", 1,
       "\"/dev/zero\": Is a character device, not a regular file"},
      {"a FIFO", Kind::Data,
       [](TempDir& d) {
         ::mkfifo(d.file("fifo.dat").c_str(), 0600);
         return d.file("fifo.dat");
       },
       "", 1, "Is a pipe (FIFO), not a regular file"},
      {"NUL bytes", Kind::Data, [](TempDir& d) { return file(d, "a.dat", std::string("1 2\0 3\0\0 4\n", 11)); },
       "", 0, "1 records read.", false},
      {"blank lines after the last row", Kind::Data,
       [](TempDir& d) { return file(d, "a.dat", "1 2 3 4\r\n5 6 7 8\r\n\r\n \t\r\n\r\n"); }, "", 0,
       "2 records read.", false},
      {"last row cut short", Kind::Data, [](TempDir& d) { return file(d, "a.dat", "1 2 3 4\r\n5 6"); }, "", 0,
       "The last row held only 2 of 4 values and was left out.", false},
      {"invalid UTF-8 in data", Kind::Data, [](TempDir& d) { return file(d, "a.dat", "1 \xff\xfe 3 4\n"); }, "", 1,
       "Line 1: '\xff\xfe' is not a number."},
      {"invalid UTF-8 in a name", Kind::Data, [](TempDir& d) { return d.file("no\xff\xfe.dat"); }, "", 1,
       ": No such file or directory"},
      {"subsample 0", Kind::Subsamples, [](TempDir& d) { 
         std::string s;
         for (int c = 1; c < 150; ++c) s += "1 ";
         return file(d, "s.txt", s + "0");
       },
       "", 0, "Case 150 has the subsample number 0"},
      {"subsample 21", Kind::Subsamples, [](TempDir& d) { return file(d, "s.txt", "1 21"); }, "", 0,
       "Case 2 has the subsample number 21"},
      {"subsample -3", Kind::Subsamples, [](TempDir& d) { return file(d, "s.txt", "-3"); }, "", 0,
       "Case 1 has the subsample number -3"},
      {"prototypes fewer", Kind::Prototypes, [](TempDir& d) { return file(d, "p.wgt", "1 2 3"); }, "", 0,
       "The file holds 3 numbers, but 2 prototypes of 4 variables need 8", false},
      {"prototypes more", Kind::Prototypes,
       [](TempDir& d) { return file(d, "p.wgt", GoodPrototypes + "7 7 7 7\r\n"); }, "", 0,
       "the numbers after the first 8 were ignored.", false},
      {"prototypes huge", Kind::Prototypes, [](TempDir& d) { return file(d, "p.wgt", "1e38 1 1 1\r\n1 1 1 1\r\n"); },
       "", 1, "The prototypes do not fit these data", false},
      {"prototypes overflow", Kind::Prototypes,
       [](TempDir& d) { return file(d, "p.wgt", "1 1 1 1\r\n1 1 -3.5e38 1\r\n"); }, "", 1,
       "Line 2: '-3.5e38' is beyond the range"},
      // Files saved to: a pipe, a device and a name the system refuses. The
      // nodes stay what they were and no temporary file is left.
      {"save into a pipe nobody reads", Kind::Save,
       [](TempDir& d) {
         ::mkfifo(d.file("out.wgt").c_str(), 0600);
         return d.file("out.wgt");
       },
       "", 1, "\": no reader (no program reads from this pipe)"},
      {"save into a full device", Kind::Save,
       [](TempDir& d) {
         // Needs root, as the CI runs the tests; otherwise the row fails here.
         if (::mknod(d.file("full").c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0)
           ADD_FAILURE() << "mknod (root only): " << std::strerror(errno);
         return d.file("full");
       },
       "", 1, "\": No space left on device"},
      {"save under a name of 256 bytes", Kind::Save, [](TempDir& d) { return d.file(std::string(256, 'n')); }, "", 1,
       "\": File name too long"},
  };
  // Every dialog entry with the texts a user may type by mistake; the
  // statuses per entry follow the texts "", "abc", "1e9", "-1" and 200
  // nines. A form the batch parser refuses (2) runs nothing; the dialogs
  // refuse values out of range (1); some are what the dialog accepts (0).
  const std::string nines(200, '9');
  const std::vector<std::string> texts = {"", "abc", "1e9", "-1", nines};
  const std::pair<const char*, const char*> dataEntries[] = {{"cases", "22211"}, {"vars", "22211"}};
  const std::pair<const char*, const char*> paramEntries[] = {
      {"lower", "22211"}, {"upper", "22211"}, {"trials", "22211"}, {"epochs", "22211"},
      {"rate", "22111"},  {"range", "22010"}, {"lifetime", "22111"}, {"reps", "22201"}};
  for (const auto& [key, statuses] : dataEntries)
    for (std::size_t k = 0; k < texts.size(); ++k)
      t.push_back({std::string(key) + "=" + texts[k].substr(0, 5), Kind::DataEntry,
                   [v = texts[k]](TempDir&) { return v; }, key, statuses[k] - '0', ""});
  for (const auto& [key, statuses] : paramEntries)
    for (std::size_t k = 0; k < texts.size(); ++k)
      t.push_back({std::string(key) + "=" + texts[k].substr(0, 5), Kind::ParamEntry,
                   [v = texts[k]](TempDir&) { return v; }, key, statuses[k] - '0', ""});
  const std::vector<Hostile> scripts = {
      {"script is a folder", Kind::Script, [](TempDir& d) { return d.path(); }, "", 2,
       "cannot read the script " },
      {"script is a device", Kind::Script, [](TempDir&) { return std::string("/dev/zero"); }, "", 2,
       "cannot read the script /dev/zero: Is a character device, not a regular file"},
      {"NUL in a word", Kind::Script,
       [](TempDir& d) { return d.write("s.vb", Prelude + std::string("open iris.dat\0x vars=4\n", 24)); }, "", 2,
       "s.vb:3: the line holds the control character 0x00 at column 14"},
      {"line of 1 MB: comment", Kind::Script,
       [](TempDir& d) { return d.write("s.vb", Prelude + "# " + std::string(1u << 20, 'c') + "\nrecall\n"); }, "",
       1, "'recall' cannot be run now"},
      {"line of 1 MB: word", Kind::Script,
       [](TempDir& d) { return d.write("s.vb", Prelude + std::string(1u << 20, 'w') + "\n"); }, "", 2,
       "s.vb:3: unknown command 'wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww...'"},
      {"line of 1 MB: file name", Kind::Script,
       [](TempDir& d) { return d.write("s.vb", "open " + std::string(1u << 20, 'f') + " vars=4\n"); }, "", 1,
       "...\": File name too long"},
  };
  t.insert(t.end(), scripts.begin(), scripts.end());
  return t;
}

// The batch script line for a row.
std::string batchLine(const Hostile& h, const std::string& made) {
  const std::string q = "\"" + made + "\"";
  switch (h.kind) {
    case Kind::Data: return "open " + q + " vars=4\n";
    case Kind::Subsamples: return "open " + irisPath() + " vars=4 kind=ksamples subsamples=" + q + "\n";
    case Kind::Prototypes: return "readprototypes " + q + "\nrecall\n";
    case Kind::DataEntry:
      return "open " + irisPath() + (h.key == "vars" ? "" : " vars=4") + " " + h.key + "=" + q + "\n";
    case Kind::ParamEntry: return "parameterize " + h.key + "=" + q + "\n";
    case Kind::Save: return "save prototypes " + q + " replace=yes\n";
    case Kind::Script: return "";
  }
  return "";
}

// A session of the command logic in the state the prelude leaves.
struct Logic {
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};
  TempDir dir;

  Logic() {
    mainWindowCreated(ctx);
    open(irisPath(), [](DataMatrixDialog&) {});
    shell.paramDialogs.push_back([](ParamDialog& d) {
      d.edits[0] = "2";
      d.edits[1] = "2";
      d.edits[3] = "2";
      d.ok();
    });
    runCommand(ctx, parameterize1Click);
    readPrototypes(dir.write("good.wgt", GoodPrototypes));
  }
  void open(const std::string& path, std::function<void(DataMatrixDialog&)> entries) {
    shell.dataDialogs.push_back([entries](DataMatrixDialog& d) {
      d.edit2 = "4";
      entries(d);
      return d.ok();
    });
    shell.openFiles.push_back(path);
    runCommand(ctx, open1Click);
  }
  void readPrototypes(const std::string& path) {
    shell.openFiles.push_back(path);
    runCommand(ctx, readprototypesfromfile1Click);
  }
  std::string snapshot() const {
    std::string s;
    for (int i = 1; i <= ws->NumCases; ++i) s.append(reinterpret_cast<const char*>(ws->DataMatrix.row(i)), 16);
    for (int p = 1; p <= ws->NumPrototypes; ++p) s.append(reinterpret_cast<const char*>(ws->Prototypes.row(p)), 16);
    s += std::to_string(ws->NumCases) + " " + std::to_string(ws->NumVars) + " " + std::to_string(ws->NumPrototypes);
    return s;
  }
  void run(const Hostile& h, const std::string& made) {
    switch (h.kind) {
      case Kind::Data: return open(made, [](DataMatrixDialog&) {});
      case Kind::Subsamples:
        shell.openFiles.push_back(irisPath());
        shell.openFiles.push_back(made);
        shell.dataDialogs.push_back([](DataMatrixDialog& d) {
          d.edit2 = "4";
          d.selectKSample();
          return d.ok();
        });
        return runCommand(ctx, open1Click);
      case Kind::Prototypes:
        readPrototypes(made);
        return runCommand(ctx, recallClick);
      case Kind::DataEntry:
        return open(irisPath(), [&](DataMatrixDialog& d) { (h.key == "cases" ? d.edit1 : d.edit2) = made; });
      case Kind::ParamEntry: {
        static const char* keys[] = {"lower", "upper", "trials", "epochs", "rate", "range", "lifetime", "reps"};
        shell.paramDialogs.push_back([&](ParamDialog& d) {
          for (std::size_t k = 0; k < 8; ++k)
            if (h.key == keys[k]) d.edits[k] = made;
          d.ok();
        });
        return runCommand(ctx, parameterize1Click);
      }
      case Kind::Save:
        shell.saveFiles.push_back(made);
        if (std::error_code ec; std::filesystem::exists(made, ec)) shell.answers.push_back(Answer::Yes);
        return runCommand(ctx, prototypes2Click);
      case Kind::Script: return;
    }
  }
};

bool has(const std::vector<std::string>& said, const std::string& piece) {
  for (const auto& s : said)
    if (s.find(piece) != std::string::npos) return true;
  return false;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(HostileInput, EachGetsAClearMessageTheDocumentedStatusAndLeavesAWorkingWorkspace) {
  for (const Hostile& h : table()) {
    SCOPED_TRACE(h.name);
    TempDir dir;
    const std::string made = h.make(dir);
    const auto before = filesIn(dir.path());

    // volmar-batch: the prelude, the hostile line, then a line that must
    // not run after a failure.
    BatchResult r;
    if (h.kind == Kind::Script) {
      r = runBatch({made});
    } else {
      r = runScript(dir, Prelude + "readprototypes " + dir.write("good.wgt", GoodPrototypes) + "\n" +
                             batchLine(h, made) + "save prototypes " + dir.file("after.wgt") + "\n");
    }
    EXPECT_EQ(r.status, h.status) << r.err.substr(0, 2000);
    if (!h.said.empty()) {
      EXPECT_NE(r.err.find(h.said), std::string::npos) << r.err.substr(0, 2000);
    }
    EXPECT_LT(r.err.size(), 4000u) << "messages quote long input in part only";
    if (r.status != 0) {
      EXPECT_NE(r.err.find(r.status == 2 ? ": " : "message: "), std::string::npos) << r.err.substr(0, 2000);
      EXPECT_FALSE(std::filesystem::exists(dir.file("after.wgt"))) << "a line after the failure ran";
    }
    if (h.kind == Kind::Script) {
      EXPECT_EQ(filesIn(dir.path()), before);
      continue;
    }

    // The command logic: the same message, nothing changed that should
    // not, and the next command works.
    Logic logic;
    const std::string state = logic.snapshot();
    logic.shell.messages.clear();
    logic.run(h, made);
    if (!h.said.empty()) {
      EXPECT_TRUE(has(logic.shell.messages, h.said)) << testing::PrintToString(logic.shell.messages);
    }
    if (h.status != 0) {
      EXPECT_FALSE(logic.shell.messages.empty());
    }
    EXPECT_FALSE(logic.shell.busy);
    // Parameterize drops the current prototypes, accepted or not; what a
    // refused parameter dialog leaves is checked with the dialog's tests.
    if (h.kind == Kind::ParamEntry) continue;
    if (h.keeps) {
      EXPECT_EQ(logic.snapshot(), state);
    }
    if (h.kind != Kind::Prototypes) {
      logic.shell.lines.clear();
      logic.shell.messages.clear();
      runCommand(logic.ctx, recallClick);
      EXPECT_EQ(logic.shell.messages, std::vector<std::string>{});
      EXPECT_EQ(logic.shell.status(), "Done.");
      ASSERT_FALSE(logic.shell.lines.empty());
      EXPECT_EQ(logic.shell.lines[0].rfind("sum(dist^2) = ", 0), 0u);
    }
    std::filesystem::remove(dir.file("after.wgt"));  // written by the last line once all went well
    std::filesystem::remove(dir.file("script.vb"));
    std::filesystem::remove(dir.file("good.wgt"));
    EXPECT_EQ(filesIn(dir.path()), before) << "nothing is written";
  }
}
