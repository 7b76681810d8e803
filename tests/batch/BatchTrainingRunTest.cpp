// End-to-end runs of volmar-batch on the iris sample: the training output,
// the result files and repeatable seeds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <optional>
#include <regex>

#include "BatchProcess.h"

using namespace volmar::test;

namespace {

std::string trainAndSave(const TempDir& dir) {
  return "# iris: two and three segments, saved\n"
         "open " + irisPath() + " vars=4\n"
         "parameterize lower=2 upper=3 trials=5 epochs=3\n"
         "train\n"
         "save prototypes " + dir.file("iris.wgt") + "\n"
         "save labels " + dir.file("iris.lst") + "\n"
         "save info " + dir.file("iris.inf") + "\n";
}

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

TEST(BatchTrainingRun, OpenParameterizeTrainAndSaveGiveTheRunLinesAndTheFiles) {
  TempDir dir;
  const BatchResult r = runScript(dir, trainAndSave(dir), {"--seed", "7"});
  ASSERT_EQ(r.status, 0) << r.err;

  const auto out = splitLines(r.out);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.front(), "   >>> # OF SEGMENTS IS 2 <<<");
  EXPECT_EQ(std::count(out.begin(), out.end(), "   >>> # OF SEGMENTS IS 3 <<<"), 1);
  EXPECT_EQ(std::count_if(out.begin(), out.end(),
                          [](const std::string& l) { return l.starts_with("epoch #: 3 | sum(dist^2) = "); }),
            2);
  EXPECT_TRUE(contains(r.out, "adjacency matrix:\n"));
  for (const char* m : {"message: 150 records read.\n", "message: Training completed.\n",
                        "message: Prototypes file written.\n", "message: Class labels written.\n",
                        "message: Info measure written.\n"})
    EXPECT_TRUE(contains(r.err, m)) << m;
  // A two-line message box gives two prefixed lines.
  EXPECT_TRUE(std::regex_search(r.err, std::regex("message: Highest wSSI = [0-9.]+\nmessage: for [23] classes\\.\n")));

  const auto wgt = splitLines(readFile(dir.file("iris.wgt")));
  ASSERT_EQ(wgt.size(), 3u);
  for (const auto& l : wgt) EXPECT_TRUE(std::regex_match(l, std::regex("( -?[0-9]+\\.[0-9]{3}){4} \r"))) << l;

  // One label per case; the class sizes they give are the shares listed last.
  const auto lst = splitLines(readFile(dir.file("iris.lst")));
  ASSERT_EQ(lst.size(), 150u);
  int counts[4] = {0, 0, 0, 0};
  for (const auto& l : lst) {
    ASSERT_TRUE(std::regex_match(l, std::regex(" [123]\r"))) << l;
    ++counts[l[1] - '0'];
  }
  for (int k = 1; k <= 3; ++k) {
    char share[64];
    std::snprintf(share, sizeof share, "class #%d: %.2f%%", k, counts[k] * 100.0 / 150);
    const std::string head = "class #" + std::to_string(k) + ": ";
    const auto last = std::find_if(out.rbegin(), out.rend(), [&](const std::string& l) { return l.starts_with(head); });
    ASSERT_NE(last, out.rend());
    EXPECT_EQ(*last, share);
  }

  const auto inf = splitLines(readFile(dir.file("iris.inf")));
  ASSERT_EQ(inf.size(), 1u);
  // The one replication's final sum, as the last epoch line gave it.
  const std::string lastEpoch = *std::find_if(out.rbegin(), out.rend(), [](const std::string& l) {
    return l.starts_with("epoch #: 3 | ");
  });
  const double listed = std::stod(lastEpoch.substr(lastEpoch.find('=') + 1));
  EXPECT_NEAR(std::stod(inf[0]), listed, 0.0015);
}

TEST(BatchTrainingRun, TheSameScriptTwiceWithTheSameSeedGivesIdenticalOutputAndFiles) {
  TempDir a, b;
  const BatchResult ra = runScript(a, trainAndSave(a), {"--seed", "7"});
  const BatchResult rb = runScript(b, trainAndSave(b), {"--seed", "7"});
  ASSERT_EQ(ra.status, 0) << ra.err;
  ASSERT_EQ(rb.status, 0) << rb.err;
  EXPECT_EQ(ra.out, rb.out);
  EXPECT_EQ(ra.err, rb.err);
  for (const char* f : {"iris.wgt", "iris.lst", "iris.inf"}) {
    EXPECT_FALSE(readFile(a.file(f)).empty()) << f;
    EXPECT_EQ(readFile(a.file(f)), readFile(b.file(f))) << f;
  }
  // The seed really drives the run.
  TempDir c;
  const BatchResult rc = runScript(c, trainAndSave(c), {"--seed", "8"});
  ASSERT_EQ(rc.status, 0) << rc.err;
  EXPECT_NE(ra.out, rc.out);
}

// --seed N: the k-th seed of the process is N + k. A training run takes one
// at its start and one per projection (each epoch with neighbour update), so
// a second run of 3 prototypes over 2 epochs after one started from 7 starts
// from 7 + 1 + 2 = 10.
TEST(BatchTrainingRun, SeedsFollowOnFromRunToRunAndFromProjectionToProjection) {
  const std::string setup = "open " + irisPath() + " vars=4\nparameterize lower=3 upper=3 trials=4 epochs=2\n";
  TempDir dir;
  const BatchResult twice = runScript(dir, setup + "train\ntrain\n", {"--seed", "7"});
  const BatchResult fromTen = runScript(dir, setup + "train\n", {"--seed", "10"});
  const BatchResult fromSeven = runScript(dir, setup + "train\n", {"--seed", "7"});
  ASSERT_EQ(twice.status, 0) << twice.err;
  ASSERT_EQ(fromTen.status, 0) << fromTen.err;
  ASSERT_EQ(twice.out, fromSeven.out + fromTen.out);
}

}  // namespace

namespace {

// 3000 cases of 100 variables, large enough for the sums of distances and
// the classification to be spread over threads.
std::string writeLargeData(const TempDir& dir) {
  std::string text;
  std::uint32_t s = 12345;
  for (int c = 0; c < 3000; ++c) {
    for (int v = 0; v < 100; ++v) {
      s = s * 1664525u + 1013904223u;
      text += std::to_string((s >> 8) % 1000 / 100.0 + (c % 3) * 2.5).substr(0, 5) + " ";
    }
    text += "\n";
  }
  return dir.write("large.dat", text);
}

// The same scripts with 1, 2 and 7 threads (and 64, more than there are runs
// of cases) give byte-identical output, messages and files.
TEST(BatchTrainingRun, EveryThreadCountGivesTheSameOutputAndFiles) {
  TempDir data;
  const std::string open = "open " + writeLargeData(data) + " cases=3000 vars=100\n";
  struct Script {
    const char* what;
    std::string body;
  };
  const Script scripts[] = {
      {"replications", "parameterize lower=4 upper=4 trials=3 epochs=2 reps=3\ntrain\n"},
      {"range, neighbours", "parameterize lower=1 upper=5 trials=2 epochs=2\ntrain\n"},
      {"range, k-means", "parameterize lower=3 upper=5 trials=2 epochs=2 neighbor=off\ntrain\n"},
      {"subtractive", "parameterize lower=4 upper=5 trials=2 epochs=1\nsubtractive radius=1.5\ntrain\n"},
      {"tanimoto", "parameterize lower=4 upper=6 trials=2 epochs=1 distance=tanimoto\ntrain\n"},
      {"refine every replication",
       "parameterize lower=4 upper=4 trials=3 epochs=2 reps=3\ntrain\nrefine replications=all\n"},
  };
  for (const Script& script : scripts) {
    std::string reference;
    BatchResult first;
    for (const char* threads : {"1", "2", "7", "64"}) {
      TempDir dir;
      const std::string text = open + script.body + "show chart\nsave labels " + dir.file("x.lst") +
                               "\nsave prototypes " + dir.file("x.wgt") + "\nsave info " +
                               dir.file("x.inf") + "\n";
      const BatchResult r = runScript(dir, text, {"--seed", "3", "--status", "--threads", threads});
      SCOPED_TRACE(std::string(script.what) + ", threads " + threads);
      ASSERT_EQ(r.status, 0) << r.err;
      const std::string files = readFile(dir.file("x.lst")) + readFile(dir.file("x.wgt")) + readFile(dir.file("x.inf"));
      ASSERT_FALSE(files.empty());
      if (reference.empty()) {
        reference = files;
        first = r;
        continue;
      }
      EXPECT_EQ(r.out, first.out);
      EXPECT_EQ(r.err, first.err);
      EXPECT_EQ(files, reference);
    }
  }
}

}  // namespace

TEST(BatchTrainingRun, RefineListsItsIterationsAndTheFilesFollowIt) {
  TempDir dir;
  const std::string script = "open " + irisPath() + " vars=4\n"
                             "parameterize lower=3 upper=3 trials=5 epochs=2\n"
                             "train\n"
                             "refine iterations=50\n"
                             "save labels " + dir.file("refined.lst") + "\n";
  const BatchResult r = runScript(dir, script, {"--seed", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = splitLines(r.out);
  const auto at = std::find(out.begin(), out.end(), "Refine prototypes (batch k-means):");
  ASSERT_NE(at, out.end());
  ASSERT_TRUE(at[1].starts_with("   start: sum(dist^2) = ")) << at[1];
  EXPECT_TRUE(out.back().starts_with("Converged after ")) << out.back();
  // The labels file holds the refined classes: their sizes are the shares listed.
  const auto lst = splitLines(readFile(dir.file("refined.lst")));
  ASSERT_EQ(lst.size(), 150u);
  int counts[4] = {0, 0, 0, 0};
  for (const auto& l : lst) ++counts[l[1] - '0'];
  for (int k = 1; k <= 3; ++k) {
    char share[64];
    std::snprintf(share, sizeof share, "class #%d: %.2f%%", k, counts[k] * 100.0 / 150);
    EXPECT_NE(std::find(at, out.end(), share), out.end()) << share;
  }
  // Without prototypes the command is not offered.
  const BatchResult early = runScript(dir, "open " + irisPath() + " vars=4\nrefine\n", {});
  EXPECT_EQ(early.status, 1);
  EXPECT_TRUE(contains(early.err, "Analysis > Refine prototypes (batch k-means) is disabled in the menu until prototypes exist")) << early.err;
}

// Refining every replication of a run of four: one line each, the best
// kept; the files follow: the info file holds the refined sums with the
// best last, the labels file's last column the classes listed.
TEST(BatchTrainingRun, RefiningEveryReplicationKeepsTheBestInTheFiles) {
  TempDir dir;
  const std::string script = "open " + irisPath() + " vars=4\n"
                             "parameterize lower=3 upper=3 trials=2 epochs=2 reps=4\n"
                             "train\n"
                             "refine replications=all\n"
                             "save labels " + dir.file("all.lst") + "\n"
                             "save info " + dir.file("all.inf") + "\n"
                             "compare\n";
  const BatchResult r = runScript(dir, script, {"--seed", "5"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "answer: Yes (replications=all)")) << r.err;
  const auto out = splitLines(r.out);
  const auto at = std::find(out.begin(), out.end(), "Refine prototypes (batch k-means), every replication:");
  ASSERT_NE(at, out.end());
  const std::regex line(R"(   replication (\d): sum\(dist\^2\) = +[0-9.]+ -> +([0-9.]+), \d+ iterations)");
  std::vector<double> ends;
  for (int i = 1; i <= 4; ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(at[i], m, line)) << at[i];
    EXPECT_EQ(std::stoi(m[1]), i);
    ends.push_back(std::stod(m[2]));
  }
  const int best = static_cast<int>(std::min_element(ends.begin(), ends.end()) - ends.begin()) + 1;
  const auto named = std::find_if(at, out.end(), [](const std::string& l) { return l.starts_with("Replication "); });
  ASSERT_NE(named, out.end());
  EXPECT_EQ(*named, "Replication " + std::to_string(best) + " has the smallest sum and is current now.");
  // The info file: the refined sums, the best one's and the last one's
  // places exchanged.
  std::swap(ends[static_cast<std::size_t>(best - 1)], ends[3]);
  const auto inf = splitLines(readFile(dir.file("all.inf")));
  ASSERT_EQ(inf.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(std::stod(inf[i]), ends[i], 1e-3) << inf[i];
  // The labels file: four columns, the last one's sizes are the shares listed.
  const auto lst = splitLines(readFile(dir.file("all.lst")));
  ASSERT_EQ(lst.size(), 150u);
  int counts[4] = {0, 0, 0, 0};
  for (const auto& l : lst) {
    ASSERT_TRUE(std::regex_match(l, std::regex("( [123]){4}\r"))) << l;  // four labels and the CR
    ++counts[l[7] - '0'];
  }
  for (int k = 1; k <= 3; ++k) {
    char share[64];
    std::snprintf(share, sizeof share, "class #%d: %.2f%%", k, counts[k] * 100.0 / 150);
    EXPECT_NE(std::find(at, out.end(), share), out.end()) << share;
  }
  EXPECT_NE(std::find(out.begin(), out.end(), "   Comparison over replications"), out.end());
}

// Memory running out on a worker thread ends `train` with a message and
// exit status 1, wherever it runs out: the run never waits for a unit that
// no worker will run. Address-space limits from where the program can just
// start up to where the whole run fits.
TEST(BatchTrainingRun, MemoryRunningOutOnAWorkerEndsTheRunWithAMessage) {
  TempDir dir;
  std::string data;
  std::uint32_t x = 3;
  for (int i = 0; i < 20000; ++i) {
    for (int v = 0; v < 5; ++v) {
      x = x * 1664525u + 1013904223u;
      data += std::to_string(i % 4 + v % 2 + static_cast<int>(x >> 29)) + " ";
    }
    data += "\n";
  }
  const std::string script = "open " + dir.write("d.dat", data) +
                             " cases=20000 vars=5\nparameterize lower=3 upper=3 trials=1 epochs=1 reps=6\ntrain\n";
  const std::string path = dir.write("run.vb", script);
  int failedInTraining = 0;
  bool completed = false;
  for (rlim_t mb = 96; mb <= 400 && !completed; mb += 2) {
    SCOPED_TRACE(std::to_string(mb) + " MB");
    BatchOptions options;
    options.memoryLimit = mb << 20;
    RunningBatch batch({"--threads", "2", path}, "", options);
    const std::optional<BatchResult> r = batch.waitFor(60);
    ASSERT_TRUE(r.has_value()) << "volmar-batch did not end within a minute";
    ASSERT_EQ(r->signal, 0) << r->err;
    if (r->status == 127) continue;  // too little to load the program's libraries
    if (r->status == 0) {
      completed = true;
      EXPECT_NE(r->err.find("message: Training completed."), std::string::npos);
      break;
    }
    ASSERT_EQ(r->status, 1) << r->err;
    if (r->err.find("'train' ended with an error") == std::string::npos) continue;  // before training
    ++failedInTraining;
    const bool memory = r->err.find("message: Not enough memory to complete the command.") != std::string::npos;
    const bool threads = r->err.find("message: The training run could not start its threads: ") != std::string::npos;
    EXPECT_TRUE(memory || threads) << r->err;
  }
  EXPECT_TRUE(completed);
  EXPECT_GT(failedInTraining, 0);
}
