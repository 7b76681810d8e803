// volmar-batch on survey data: import the sample CSV, train, save the
// segments with IDs and merge them back into the original rows by ID.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "BatchProcess.h"
#include "support/RScript.h"

using namespace volmar::test;

namespace {

std::string samplePath() { return std::string(VOLMAR_SAMPLE_DATA_DIR) + "/survey-sample.csv"; }

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

std::vector<std::string> split(const std::string& line, char sep) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t next = line.find(sep, pos);
    fields.push_back(line.substr(pos, next == std::string::npos ? std::string::npos : next - pos));
    if (next == std::string::npos) return fields;
    pos = next + 1;
  }
}

TEST(BatchImport, ImportTrainSaveSegmentsAndMergeBackById) {
  TempDir dir;
  const std::string segments = dir.file("segments.csv");
  const BatchResult r = runScript(dir,
                                  "import " + samplePath() +
                                      " id=resp_id vars=price,quality,service,design missing=99\n"
                                      "parameterize lower=2 upper=2 trials=3 epochs=5 reps=2\n"
                                      "train\n"
                                      "show prototypes\n"
                                      "save segments " + segments + "\n",
                                  {"--seed", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "message: 36 cases read, 4 left out for missing values (40 rows in the file).\n"
                              "message: Missing most often: quality (2), price (1), design (1).\n"))
      << r.err;
  EXPECT_TRUE(contains(r.err, "message: Segments with IDs written.\n"));
  // The prototypes table names the variables over their numbers.
  EXPECT_TRUE(contains(r.out, "name:\tprice\tquality\tservice\tdesign\n")) << r.out;

  // Merge: every row of the original file finds its row of segments by ID.
  std::map<std::string, std::vector<std::string>> byId;
  const auto seg = splitLines(readFile(segments));
  ASSERT_EQ(seg.size(), 41u);
  EXPECT_EQ(seg[0], "resp_id,segment_r1,segment_r2\r");
  for (std::size_t i = 1; i < seg.size(); ++i) {
    ASSERT_TRUE(seg[i].ends_with("\r"));
    auto f = split(seg[i].substr(0, seg[i].size() - 1), ',');
    ASSERT_EQ(f.size(), 3u);
    const std::string id = f[0];
    EXPECT_TRUE(byId.emplace(id, std::vector<std::string>(f.begin() + 1, f.end())).second) << id;
  }
  const auto original = splitLines(readFile(samplePath()));
  int complete = 0;
  for (std::size_t i = 1; i < original.size(); ++i) {
    const auto f = split(original[i].substr(0, original[i].size() - 1), ';');
    const auto it = byId.find(f[0]);
    ASSERT_NE(it, byId.end()) << f[0];
    const bool missing = original[i].find(";;") != std::string::npos || contains(original[i], ";99;") || contains(original[i], ";99\r");
    for (const std::string& label : it->second) {
      if (missing) {
        EXPECT_EQ(label, "") << f[0];
      } else {
        EXPECT_TRUE(label == "1" || label == "2") << f[0] << ": " << label;
      }
    }
    complete += !missing;
  }
  EXPECT_EQ(complete, 36);
}

// The SPSS sample through the whole chain: import, train, segments saved as
// .sav, and R's haven merges them into the original file by ID.
TEST(BatchImport, SpssFileInSegmentsOutMergedByRHaven) {
  TempDir dir;
  const std::string sample = std::string(VOLMAR_SAMPLE_DATA_DIR) + "/survey-sample.sav";
  const std::string segments = dir.file("segments.sav");
  const BatchResult r = runScript(dir,
                                  "import " + sample + " id=resp_id vars=price,quality,service,design\n"
                                  "parameterize lower=2 upper=2 trials=3 epochs=5 reps=2\n"
                                  "train\n"
                                  "save segments " + segments + "\n",
                                  {"--seed", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "message: 36 cases read, 4 left out for missing values (40 rows in the file).\n")) << r.err;
  const std::string merged = runR(dir, "orig <- read_sav('" + sample + "')\nseg <- read_sav('" + segments + R"(')
m <- merge(orig, seg, by = "resp_id", all = TRUE)
complete <- complete.cases(zap_missing(orig[, c("price", "quality", "service", "design")]))
stopifnot(nrow(m) == 40, nrow(seg) == 40)
m <- m[match(orig$resp_id, m$resp_id), ]
stopifnot(identical(!is.na(m$segment_r1), complete), identical(!is.na(m$segment_r2), complete))
stopifnot(all(m$segment_r1[complete] %in% 1:2))
cat(sum(complete), "merged;", as.character(attr(seg$segment_r1, "label")), ";",
    names(attr(seg$segment_r2, "labels")), "
")
)");
  EXPECT_EQ(merged, "36 merged; Segment of 2 prototypes, replication 1 of 2 ; Segment 1 Segment 2 \n");
}

TEST(BatchImport, RefusalsNameTheLineAndEndTheScript) {
  TempDir dir;
  const std::string ragged = dir.write("ragged.csv", "id,a\n1,2\n2\n");
  BatchResult r = runScript(dir, "import " + ragged + "\nparameterize\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "message: Line 3 has 1 fields; the header line has 2.\nmessage: Nothing was imported.\n"))
      << r.err;
  // Nothing was imported: the parameter dialog stays disabled.
  r = runScript(dir, "save segments " + dir.file("s.csv") + "\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "message: There are no segments to save yet.\n")) << r.err;
  // Segments of data read before are not the segments of the data held.
  r = runScript(dir, "open " + irisPath() + " vars=4\nparameterize lower=2 upper=2 epochs=2\ntrain\nopen " + irisPath() +
                         " vars=4\nsave segments " + dir.file("old.csv") + "\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "message: There are no segments to save yet.\n")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("old.csv")));
  r = runScript(dir, "import " + ragged + " blocksize=2\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(contains(r.err, "blocksize= needs kind=kblocks")) << r.err;
}

}  // namespace
