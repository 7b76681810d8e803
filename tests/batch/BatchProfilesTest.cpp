// volmar-batch's segment profiles on the shipped samples: the chart in
// three formats, the markers `show profiles` lists against a computation
// of this test's own, and the description file.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "BatchProcess.h"
#include "support/Pdf.h"

using namespace volmar::test;

namespace {

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

std::vector<std::string> fields(const std::string& line, char sep) {
  std::vector<std::string> out;
  std::stringstream in(line);
  std::string f;
  while (std::getline(in, f, sep)) out.push_back(f);
  if (!line.empty() && line.back() == sep) out.emplace_back();
  return out;
}

// The iris sample's columns, read here with the stream's own number parsing.
std::vector<std::vector<double>> irisColumns() {
  std::ifstream in(irisPath());
  std::vector<std::vector<double>> cols(4);
  double x[4];
  while (in >> x[0] >> x[1] >> x[2] >> x[3])
    for (int v = 0; v < 4; ++v) cols[static_cast<std::size_t>(v)].push_back(x[v]);
  return cols;
}

}  // namespace

TEST(BatchProfiles, ChartFilesAndMarkersOfTheIrisSegments) {
  TempDir dir;
  const std::string labels = dir.file("labels.lst");
  const BatchResult r = runScript(dir,
                                  "open " + irisPath() + " vars=4\n"
                                  "parameterize lower=3 upper=3 trials=5 epochs=10 reps=2\n"
                                  "train\n"
                                  "save labels " + labels + "\n"
                                  "show profiles absolute=0.8 relative=30\n"
                                  "profiles " + dir.file("iris.png") + " order=similarity\n"
                                  "profiles " + dir.file("iris.svg") + "\n"
                                  "profiles " + dir.file("iris.pdf") + "\n"
                                  "save description " + dir.file("iris.csv") + "\n",
                                  {"--seed", "4"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "message: Segment description written.\n")) << r.err;

  // This test's own numbers: means and SDs (of the cases as they are) of
  // the file's columns, and the segment sizes of the last replication.
  const auto cols = irisColumns();
  ASSERT_EQ(cols[0].size(), 150u);
  std::vector<double> mean(4), sd(4);
  for (std::size_t v = 0; v < 4; ++v) {
    for (double x : cols[v]) mean[v] += x / 150;
    for (double x : cols[v]) sd[v] += (x - mean[v]) * (x - mean[v]) / 150;
    sd[v] = std::sqrt(sd[v]);
  }
  std::map<int, int> sizes;
  {
    std::ifstream in(labels);
    int first = 0, last = 0;
    while (in >> first >> last) ++sizes[last];
  }

  // One line per segment and variable; every variable of iris lies outside
  // 0..1, so A counts standard deviations: marker when |p - mean| >= 0.8 SD
  // or >= 30 % of the mean.
  int lines = 0, markers = 0;
  std::map<std::pair<int, std::size_t>, std::string> listed;
  for (const std::string& line : splitLines(r.out)) {
    const auto f = fields(line, '\t');
    if (f.size() != 5) continue;
    ++lines;
    const int s = std::stoi(f[0]);
    const std::size_t v = static_cast<std::size_t>(std::stoi(f[1]) - 1);
    ASSERT_GE(s, 1);
    ASSERT_LE(s, 3);
    ASSERT_LT(v, 4u);
    const double proto = std::stod(f[2]);
    EXPECT_NEAR(std::stod(f[3]), mean[v], 5e-5) << line;
    const double diff = std::fabs(proto - mean[v]);
    const bool expected = diff / sd[v] >= 0.8 || diff / mean[v] >= 0.3;
    EXPECT_EQ(f[4], expected ? "yes" : "no") << line;
    listed[{s, v}] = f[4];
    markers += expected;
  }
  EXPECT_EQ(lines, 12);
  EXPECT_GE(markers, 1);

  // The description: sizes from the labels file, markers by the thresholds
  // last chosen (0.8 and 30 %), the same as listed.
  const auto csv = splitLines(readFile(dir.file("iris.csv")));
  ASSERT_EQ(csv.size(), 6u);
  EXPECT_EQ(csv[0].rfind("variable,sample mean,sample sd,segment 1 prototype,", 0), 0u) << csv[0];
  std::string sizeRow = "cases,150,";
  for (int s = 1; s <= 3; ++s) sizeRow += "," + std::to_string(sizes[s]) + ",,,";
  EXPECT_EQ(csv[1], sizeRow + "\r");
  for (std::size_t v = 0; v < 4; ++v) {
    const auto f = fields(csv[v + 2].substr(0, csv[v + 2].size() - 1), ',');
    ASSERT_EQ(f.size(), 3u + 3 * 4);
    EXPECT_EQ(f[0], std::to_string(v + 1));
    EXPECT_NEAR(std::stod(f[2]), sd[v], 5e-5);
    for (int s = 1; s <= 3; ++s) EXPECT_EQ(f[static_cast<std::size_t>(3 + 4 * (s - 1) + 3)], (listed[{s, v}])) << s;
  }

  // The chart files: a PNG image, an SVG drawing and a PDF page with ink.
  const std::string png = readFile(dir.file("iris.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_GT(png.size(), 5000u);  // more than a blank page compresses to
  const std::string svg = readFile(dir.file("iris.svg"));
  EXPECT_TRUE(contains(svg, "<svg")) << svg.substr(0, 200);
  EXPECT_TRUE(contains(svg, "Segment 1: " + std::to_string(sizes[1]) + " case"));
  EXPECT_EQ(pdfPageCount(dir.file("iris.pdf")), 1);
  EXPECT_GT(pdfInkPixels(dir.file("iris.pdf"), 1), 500);
  EXPECT_TRUE(contains(pdfPageText(dir.file("iris.pdf"), 1), "Marker variable"));

  // An existing file is replaced only with replace=yes; another kind of
  // file is refused before anything runs.
  BatchResult again = runScript(dir,
                                "open " + irisPath() + " vars=4\nparameterize lower=2 upper=2\ntrain\n"
                                "profiles " + dir.file("iris.png") + "\n",
                                {"--seed", "4"});
  EXPECT_NE(again.status, 0);
  EXPECT_TRUE(contains(again.err, "exists and was not replaced; add replace=yes")) << again.err;
  EXPECT_EQ(readFile(dir.file("iris.png")), png);
  again = runScript(dir, "open " + irisPath() + " vars=4\nprofiles " + dir.file("x.bmp") + "\n");
  EXPECT_NE(again.status, 0);
  EXPECT_TRUE(contains(again.err, "the chart is saved as FILE.png, FILE.svg or FILE.pdf")) << again.err;
  again = runScript(dir, "open " + irisPath() + " vars=4\nshow profiles\n");
  EXPECT_NE(again.status, 0);
  EXPECT_TRUE(contains(again.err, "Show > Segment profiles is disabled in the menu until")) << again.err;
}

TEST(BatchProfiles, ImportedVariablesAreListedByName) {
  TempDir dir;
  const BatchResult r = runScript(dir,
                                  "import " + std::string(VOLMAR_SAMPLE_DATA_DIR) +
                                      "/survey-sample.csv id=resp_id vars=price,quality,service,design missing=99\n"
                                      "parameterize lower=2 upper=2 trials=3 epochs=5\n"
                                      "train\n"
                                      "show profiles order=similarity\n",
                                  {"--seed", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::map<std::string, int> named;
  for (const std::string& line : splitLines(r.out)) {
    const auto f = fields(line, '\t');
    if (f.size() == 5) ++named[f[1]];
  }
  EXPECT_EQ(named, (std::map<std::string, int>{{"price", 2}, {"quality", 2}, {"service", 2}, {"design", 2}}));
}
