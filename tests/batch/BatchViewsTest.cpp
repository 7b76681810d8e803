// What volmar-batch prints for the chart, the tables and the graph, and how
// it answers input boxes and reports status texts.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "BatchProcess.h"

using namespace volmar::test;

namespace {

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

const std::string openIris = "open " + irisPath() + " vars=4\n";

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& head) {
  std::vector<std::string> out;
  for (const auto& l : splitLines(text))
    if (l.starts_with(head)) out.push_back(l);
  return out;
}

TEST(BatchViews, ShowChartPrintsTheTitleAndEveryBarAndLinePointOfTheRun) {
  TempDir dir;
  const BatchResult r = runScript(dir, openIris + "parameterize lower=1 upper=3 trials=3 epochs=2 neighbor=off\n"
                                                  "train\nshow chart\n", {"--seed", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "title\tSum of distances (bars), wSSI (line)\nfoot\t# of classes (prototypes)\n"));
  const auto bars = linesStartingWith(r.out, "bar\t");
  const auto line = linesStartingWith(r.out, "line\t");
  ASSERT_EQ(bars.size(), 3u);
  ASSERT_EQ(line.size(), 3u);
  // The bar of one prototype is its sum of distances, as listed.
  const auto sums = linesStartingWith(r.out, "sum(dist^2) = ");
  ASSERT_FALSE(sums.empty());
  std::smatch m;
  ASSERT_TRUE(std::regex_match(bars[0], m, std::regex("bar\t1\t([0-9.]+)")));
  char listed[64];
  std::snprintf(listed, sizeof listed, "sum(dist^2) = %.3f", std::stod(m[1]));
  EXPECT_EQ(sums[0], listed);
  EXPECT_EQ(line[0], "line\t1\t0");
  for (int k = 2; k <= 3; ++k) {
    EXPECT_TRUE(std::regex_match(bars[static_cast<std::size_t>(k - 1)], std::regex("bar\t" + std::to_string(k) + "\t[0-9.]+")));
    EXPECT_TRUE(std::regex_match(line[static_cast<std::size_t>(k - 1)], std::regex("line\t" + std::to_string(k) + "\t0\\.[0-9]+")));
  }
  // The left axis runs to 1.1 times the first bar.
  ASSERT_TRUE(std::regex_search(r.out, m, std::regex("axis\t0\t([0-9.]+)\n")));
  EXPECT_NEAR(std::stod(m[1]), 1.1 * std::stod(bars[0].substr(6)), 1e-6);
}

TEST(BatchViews, PrototypesReadFromAFileAreShownAndRecalled) {
  TempDir dir;
  const std::string wgt = dir.write("two.wgt", " 5.006 3.428 1.462 0.246 \r\n 6.262 2.872 4.906 1.676 \r\n");
  const BatchResult r = runScript(dir, openIris + "parameterize lower=2 upper=2\nreadprototypes " + wgt +
                                           "\nshow prototypes\nrecall\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "message: 2 prototypes read.\n")) << r.err;
  EXPECT_TRUE(contains(r.out, "var#:\t1\t2\t3\t4\n"
                              "type 1\t5.0\t3.4\t1.5\t0.2\n"
                              "type 2\t6.3\t2.9\t4.9\t1.7\n"))
      << r.out;
  // Recall puts each case with its nearest prototype, counted here afresh.
  const double protos[2][4] = {{5.006, 3.428, 1.462, 0.246}, {6.262, 2.872, 4.906, 1.676}};
  int first = 0;
  for (const auto& row : splitLines(readFile(irisPath()))) {
    std::istringstream in(row);
    double x[4];
    if (!(in >> x[0] >> x[1] >> x[2] >> x[3])) continue;
    double d[2] = {0, 0};
    for (int p = 0; p < 2; ++p)
      for (int v = 0; v < 4; ++v) d[p] += (x[v] - protos[p][v]) * (x[v] - protos[p][v]);
    if (d[0] <= d[1]) ++first;
  }
  char shares[128];
  std::snprintf(shares, sizeof shares, "   Recall:\n   Size of classes:\nclass #1: %.2f%%\nclass #2: %.2f%%\n",
                first * 100.0 / 150, (150 - first) * 100.0 / 150);
  EXPECT_TRUE(contains(r.out, shares)) << r.out;
}

TEST(BatchViews, ShowGraphPrintsTheProjectedPrototypesAndTheirConnections) {
  TempDir dir;
  const BatchResult r = runScript(dir, openIris + "parameterize lower=3 upper=3 trials=3 epochs=3\ntrain\nshow graph\n",
                                  {"--seed", "5"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto nodes = linesStartingWith(r.out, "node\t");
  ASSERT_EQ(nodes.size(), 3u);
  for (int k = 1; k <= 3; ++k)
    EXPECT_TRUE(std::regex_match(nodes[static_cast<std::size_t>(k - 1)],
                                 std::regex("node\t" + std::to_string(k) + "\t-?[0-9.e-]+\t-?[0-9.e-]+")));
  // The edges are those of the adjacency matrix's upper triangle.
  const auto out = splitLines(r.out);
  std::size_t at = 0;
  while (at < out.size() && out[at] != "adjacency matrix:") ++at;
  ASSERT_LT(at + 3, out.size());
  std::vector<std::string> expected;
  for (int i = 1; i <= 3; ++i)
    for (int j = i + 1; j <= 3; ++j)
      if (out[at + static_cast<std::size_t>(i)][static_cast<std::size_t>(2 * (j - 1))] == '1')
        expected.push_back("edge\t" + std::to_string(i) + "\t" + std::to_string(j));
  EXPECT_EQ(linesStartingWith(r.out, "edge\t"), expected);
}

TEST(BatchViews, TheRadiusOfSubtractiveClusteringIsAnsweredWhenTheTrainingAsksIt) {
  TempDir dir;
  const std::string setup = openIris + "parameterize lower=2 upper=2 epochs=1\n";
  const BatchResult given = runScript(dir, setup + "subtractive radius=0.8\ntrain\n");
  ASSERT_EQ(given.status, 0) << given.err;
  EXPECT_TRUE(contains(given.err, "message: Random initialization will be\nmessage: replaced by initial density centers.\n"));
  EXPECT_TRUE(contains(given.err, "input: Input the radius parameter (larger values generate fewer density centers): "
                                  "0.8 (from the script)\n"))
      << given.err;
  EXPECT_TRUE(contains(given.out, "Subtractive clustering initialization:\n(Next) highest potential is ")) << given.out;

  const BatchResult byDefault = runScript(dir, setup + "subtractive\ntrain\n");
  ASSERT_EQ(byDefault.status, 0) << byDefault.err;
  EXPECT_TRUE(contains(byDefault.err, ": 0.5 (the default)\n")) << byDefault.err;
  // A wider radius smooths the potentials: the centres differ.
  EXPECT_NE(linesStartingWith(given.out, "data point # "), linesStartingWith(byDefault.out, "data point # "));

  const BatchResult zero = runScript(dir, setup + "subtractive radius=0\ntrain\n");
  EXPECT_EQ(zero.status, 1);
  EXPECT_TRUE(contains(zero.err, "message: '0' is not a valid floating point value\n")) << zero.err;
}

TEST(BatchViews, StatusTextsArePrintedOnRequestAndOnlyWhenTheyChange) {
  TempDir dir;
  const std::string script = openIris + "parameterize lower=2 upper=2 trials=2 epochs=3\ntrain\n";
  const BatchResult quiet = runScript(dir, script);
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_FALSE(contains(quiet.err, "status: "));

  const BatchResult r = runScript(dir, script, {"--status"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto statuses = linesStartingWith(r.err, "status: ");
  EXPECT_EQ(statuses, (std::vector<std::string>{"status: Status...", "status: Read data...", "status: Done.",
                                                "status: Ready for training.", "status: Training under way...",
                                                "status: Update...", "status: Refresh adjacency matrix...",
                                                "status: Classify...", "status: Done."}));
}

}  // namespace
