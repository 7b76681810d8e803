#include <gtest/gtest.h>

#include "commands/SubtClus.h"
#include "support/ScriptedShell.h"

using namespace volmar;
using volmar::test::ScriptedShell;

namespace {

class SubtractiveClustering : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  void data(std::initializer_list<std::initializer_list<float>> rows) {
    int i = 0;
    for (const auto& r : rows) {
      ++i;
      int v = 0;
      for (float x : r) ws->DataMatrix(i, ++v) = x;
      ws->NumVars = v;
    }
    ws->NumCases = i;
  }
};

}  // namespace

TEST_F(SubtractiveClustering, ChoosingItReplacesRandomTrials) {
  ws->NumTrials = 100;
  runCommand(ctx, subtractiveclustering1Click);
  EXPECT_EQ(ws->NumTrials, 0);
  EXPECT_TRUE(ws->UseSubtClus);
  EXPECT_EQ(shell.messages,
            (std::vector<std::string>{"Random initialization will be\r\nreplaced by initial density centers."}));
  EXPECT_EQ(shell.status(), "Ready for training.");
}

TEST_F(SubtractiveClustering, TwoSeparatedGroupsGiveOneCentreEach) {
  // Group A (cases 1-3) is denser around case 2 than group B around case 5.
  data({{0, 0}, {0.1f, 0}, {0.2f, 0}, {10, 10}, {10.3f, 10}, {11, 10}});
  ws->UseSubtClus = true;
  ws->NumTrials = 5;
  shell.inputs.push_back("0.5");
  SubtClus(ctx, 2);
  EXPECT_EQ(shell.lines.size(), 6u);
  EXPECT_EQ(shell.lines[0], " ");
  EXPECT_EQ(shell.lines[1], "Subtractive clustering initialization:");
  EXPECT_EQ(shell.lines[3], "data point # 2");
  EXPECT_EQ(shell.lines[5], "data point # 5");
  EXPECT_EQ(ws->Prototypes(1, 1), 0.1f);
  EXPECT_EQ(ws->Prototypes(2, 1), 10.3f);
  // Potential of case 2 with alpha = 16: 1 + 2 exp(-0.16) + tiny terms.
  EXPECT_EQ(shell.lines[2].rfind("(Next) highest potential is ", 0), 0u);
  EXPECT_EQ(shell.lines[2], "(Next) highest potential is 2.704");
  EXPECT_FALSE(ws->UseSubtClus);
  EXPECT_EQ(ws->NumTrials, 0);
  EXPECT_EQ(shell.beeps, 1);
  EXPECT_FALSE(shell.busy);
  EXPECT_EQ(shell.status(), "Done.");
  EXPECT_EQ(shell.questions[0], "Input the radius parameter|larger values generate fewer density centers|0.5");
}

TEST_F(SubtractiveClustering, IdenticalCasesGiveTheLowestNumberAndRepeatWhenKIsLarge) {
  data({{1}, {5}, {5}});
  SubtClus(ctx, 4);  // default radius 0.25
  EXPECT_EQ(shell.questions[0], "Input the radius parameter|larger values generate fewer density centers|0.25");
  // Case 2 first (potential 2), then case 1 (potential 1), then the cases
  // whose potentials are all 0 now: the first of them is case 1 again.
  EXPECT_EQ(shell.lines[3], "data point # 2");
  EXPECT_EQ(shell.lines[5], "data point # 1");
  EXPECT_EQ(shell.lines[7], "data point # 1");
  EXPECT_EQ(shell.lines[9], "data point # 1");
  EXPECT_EQ(shell.lines[2], "(Next) highest potential is 2.0");
  EXPECT_EQ(shell.messages, (std::vector<std::string>{
                                "Density center #3 has a potential of 0 or less:\r\n"
                                "from there on the centers can repeat data points chosen before.\r\n"
                                "A smaller radius gives more distinct density centers."}));
}

TEST_F(SubtractiveClustering, NegativeRadiusActsLikeItsAbsoluteValue) {
  data({{0}, {0.3f}, {0.4f}, {3}});
  shell.inputs.push_back("-0.5");
  SubtClus(ctx, 2);
  const auto negative = shell.lines;
  shell.lines.clear();
  shell.inputs.push_back("0.5");
  SubtClus(ctx, 2);
  EXPECT_EQ(shell.lines, negative);
}

TEST_F(SubtractiveClustering, ABadOrZeroRadiusIsRefusedBeforeAnythingChanges) {
  data({{1}, {2}});
  ws->UseSubtClus = true;
  ws->Prototypes(1, 1) = 42;
  // 4 / r^2 (or 1.5 times it) overflows below about 1.6e-154 and vanishes
  // above about 1e154.
  for (const char* bad : {"abc", "0", "0.0", "1,5", "1e-155", "-1e-160", "1.3e-154", "1e300", "1e170"}) {
    shell.inputs.push_back(bad);
    runCommand(ctx, [](Context& c) { SubtClus(c, 2); });
    EXPECT_EQ(shell.messages.back(), std::string("'") + bad + "' is not a valid floating point value");
  }
  EXPECT_TRUE(ws->UseSubtClus);
  EXPECT_EQ(ws->Prototypes(1, 1), 42.0f);
  EXPECT_EQ(shell.beeps, 0);
}

TEST_F(SubtractiveClustering, RefusesToRunWithoutCases) {
  ws->NumCases = 0;
  runCommand(ctx, [](Context& c) { SubtClus(c, 2); });
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_TRUE(shell.lines.empty());
}
