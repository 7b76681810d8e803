// The manual page and the README describe the commands --help lists.
#include <gtest/gtest.h>

#include <regex>

#include "BatchProcess.h"

using namespace volmar::test;

namespace {

TEST(BatchDocs, ManualPageAndReadmeNameEveryCommandAndAnswerOfHelp) {
  const BatchResult help = runBatch({"--help"});
  ASSERT_EQ(help.status, 0);
  const std::string man = readFile(std::string(VOLMAR_SOURCE_DIR) + "/doc/volmar-batch.1");
  const std::string readme = readFile(std::string(VOLMAR_SOURCE_DIR) + "/README.md");
  ASSERT_FALSE(man.empty());
  int commands = 0;
  const std::regex usage("^  ([a-z]+)( [a-z]+)?((?: [^ ]+)*)$");
  for (const std::string& line : splitLines(help.out)) {
    std::smatch m;
    if (line.starts_with("  --") || !std::regex_match(line, m, usage)) continue;
    ++commands;
    SCOPED_TRACE(line);
    const std::string word = m[1], second = m[2].matched ? std::string(m[2]).substr(1) : "";
    EXPECT_NE(man.find("\\fB" + word), std::string::npos);
    if (!second.empty()) {
      EXPECT_NE(man.find(second), std::string::npos);
    }
    // Every answer key, as key=.
    const std::string rest = m[3];
    static const std::regex key("\\[([a-z]+)=");
    for (std::sregex_iterator k(rest.begin(), rest.end(), key), end; k != end; ++k)
      EXPECT_NE(man.find((*k)[1].str() + "="), std::string::npos) << (*k)[1];
    EXPECT_NE(readme.find(word), std::string::npos);
  }
  EXPECT_GE(commands, 16);
  for (const char* option : {"--seed", "--status", "--version"}) {
    EXPECT_NE(man.find(std::string("\\-\\-") + (option + 2)), std::string::npos) << option;
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

TEST(BatchDocs, VersionIsPrinted) {
  const BatchResult r = runBatch({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(std::regex_match(r.out, std::regex("volmar-batch [0-9]+\\.[0-9]+(\\.[0-9]+)?\n"))) << r.out;
}

}  // namespace
