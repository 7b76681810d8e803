#include <gtest/gtest.h>

#include <string>

#include "BatchProcess.h"
#include "support/TempDir.h"

using namespace volmar::test;

namespace {

// The iris data with the parameters of a quick study.
std::string study() {
  return "open \"" + irisPath() + "\" vars=4\nparameterize lower=2 upper=4 trials=5 epochs=5 neighbor=off\n";
}

TEST(BatchStability, StudyFilesAndTasksMergedAsTheSingleRun) {
  TempDir dir;
  const BatchResult single = runBatch(
      {"--seed", "3", "-"}, study() + "stability global pairs=8 values=\"" + dir.file("v.txt") + "\" chart=\"" +
                                dir.file("c.svg") + "\"\nstability global pairs=8 chart=\"" + dir.file("c.png") +
                                "\"\nstability global pairs=8 chart=\"" + dir.file("c.pdf") + "\"\n");
  ASSERT_EQ(single.status, 0) << single.err;
  const auto lines = splitLines(single.out);
  ASSERT_EQ(lines.size(), 18u) << single.out;
  EXPECT_EQ(lines[1], "   Global stability (bootstrap), adjusted Rand index, 8 pairs");
  EXPECT_EQ(readFile(dir.file("c.png")).substr(1, 3), "PNG");
  EXPECT_EQ(readFile(dir.file("c.pdf")).substr(0, 5), "%PDF-");
  const std::string svg = readFile(dir.file("c.svg"));
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("Global stability (8 bootstrap pairs)"), std::string::npos);
  const std::string values = readFile(dir.file("v.txt"));
  EXPECT_EQ(splitLines(values).size(), 8u);
  EXPECT_NE(values.find("\r\n"), std::string::npos);

  // Two tasks and their merge; the files exist already, so replace=yes.
  std::string merge = "stability merge";
  for (int t = 1; t <= 2; ++t) {
    const std::string part = dir.file("p" + std::to_string(t));
    const BatchResult r = runBatch({"--seed", "3", "--threads", "1", "-"},
                                   study() + "stability global pairs=8 tasks=2 task=" + std::to_string(t) +
                                       " part=\"" + part + "\"\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    merge += " \"" + part + "\"";
  }
  const BatchResult merged = runBatch(
      {"-"}, merge + " values=\"" + dir.file("v.txt") + "\" chart=\"" + dir.file("c.svg") + "\" replace=yes\n");
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(merged.out, single.out.substr(0, single.out.size() / 3));
  EXPECT_EQ(readFile(dir.file("v.txt")), values);
  EXPECT_EQ(readFile(dir.file("c.svg")), svg);

  // Without replace=yes an existing file stays as it was.
  const BatchResult refused = runBatch({"-"}, merge + " values=\"" + dir.file("v.txt") + "\"\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("exists and was not replaced; add replace=yes"), std::string::npos) << refused.err;
  EXPECT_EQ(readFile(dir.file("v.txt")), values);
  // A part is missing.
  const BatchResult missing = runBatch({"-"}, "stability merge \"" + dir.file("p2") + "\"\n");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Part 1 of 2 is missing."), std::string::npos) << missing.err;
}

TEST(BatchStability, ScriptLinesThatCannotRunAreRefusedWithTheReason) {
  for (const auto& [line, why] : std::vector<std::pair<std::string, std::string>>{
           {"stability global tasks=3 task=1", "needs tasks=T, task=I and part=FILE together"},
           {"stability global tasks=3 task=4 part=p", "task= must be from 1 to tasks="},
           {"stability global chart=x.bmp", "chart= must name a .png, .svg or .pdf file"},
           {"stability global tasks=2 task=1 part=p values=v", "values= and chart= belong to 'stability merge'"},
           {"stability merge", "needs FILE..."}}) {
    const BatchResult r = runBatch({"-"}, study() + line + "\n");
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_NE(r.err.find(why), std::string::npos) << line << ": " << r.err;
  }
  // Before the parameters are accepted the menu item is disabled.
  const BatchResult early = runBatch({"-"}, "open \"" + irisPath() + "\" vars=4\nstability global\n");
  EXPECT_EQ(early.status, 1);
  EXPECT_NE(early.err.find("Analysis > Stability > Global (bootstrap)... lies in a submenu that is disabled"),
            std::string::npos)
      << early.err;
}

}  // namespace
