#include <gtest/gtest.h>

#include "commands/Commands.h"
#include "commands/ParamDialog.h"
#include "support/ScriptedShell.h"

using namespace volmar;
using volmar::test::ScriptedShell;

namespace {

class Parameters : public ::testing::Test {
 protected:
  Parameters() {
    ws->NumCases = 150;
    ws->NumVars = 4;
  }
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  // Runs "&Parameterize" with the edits changed as given (index -> text).
  void parameterize(std::initializer_list<std::pair<int, const char*>> entries, bool* closed = nullptr) {
    std::vector<std::pair<int, std::string>> e(entries.begin(), entries.end());
    shell.paramDialogs.push_back([e, closed](ParamDialog& d) {
      for (const auto& [i, text] : e) d.edits[static_cast<std::size_t>(i)] = text;
      const bool c = d.ok();
      if (closed) *closed = c;
    });
    runCommand(ctx, parameterize1Click);
  }
};

}  // namespace

TEST_F(Parameters, FirstUseShowsTheDefaultsAndSelectsEuclidean) {
  ws->DistanceKind = 0;
  ParamDialog d(ctx);
  EXPECT_EQ(d.edits, (std::array<std::string, 8>{"1", "4", "100", "50", "0.3", "2", "1", "1"}));
  EXPECT_TRUE(d.checkBox1);
  EXPECT_TRUE(d.radioButton2);
  EXPECT_FALSE(d.radioButton1);
  EXPECT_EQ(ws->DistanceKind, DistEuclidean);
}

TEST_F(Parameters, AcceptingStoresTheValuesAndEnablesTraining) {
  bool closed = false;
  parameterize({{4, "0.25"}}, &closed);
  EXPECT_TRUE(closed);
  EXPECT_EQ(ws->LowerLimit, 1);
  EXPECT_EQ(ws->UpperLimit, 4);
  EXPECT_EQ(ws->NumTrials, 100);
  EXPECT_EQ(ws->NumEpochs, 50);
  EXPECT_EQ(ws->InitLearningRate, 0.25);
  EXPECT_EQ(ws->InitNeighborRange, 2.0);
  EXPECT_EQ(ws->InitLifetime, 1.0);
  EXPECT_EQ(ws->NumReplications, 1);
  EXPECT_TRUE(ws->NeighborUpdate);
  EXPECT_TRUE(ws->ParamsEntered);
  EXPECT_TRUE(shell.enabled(MenuItem::Run1));
  EXPECT_TRUE(shell.enabled(MenuItem::Subtractiveclustering1));
  EXPECT_TRUE(shell.enabled(MenuItem::Initialize1));
  EXPECT_EQ(shell.status(), "Ready for training.");
  EXPECT_TRUE(shell.messages.empty());
  // Reopened, the dialog shows the stored values in their shortest form.
  ParamDialog again(ctx);
  EXPECT_EQ(again.edits, (std::array<std::string, 8>{"1", "4", "100", "50", "0.25", "2", "1", "1"}));
}

TEST_F(Parameters, ConstantNumberOfPrototypesKeepsReplications) {
  shell.menu[MenuItem::Compareoverreplications1] = true;
  parameterize({{0, "3"}, {1, "3"}, {7, "20"}});
  EXPECT_EQ(ws->NumReplications, 20);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(shell.enabled(MenuItem::Compareoverreplications1));
}

TEST_F(Parameters, ARangeOfPrototypesSetsReplicationsToOne) {
  shell.menu[MenuItem::Compareoverreplications1] = true;
  parameterize({{0, "2"}, {1, "5"}, {7, "20"}});
  EXPECT_EQ(ws->NumReplications, 1);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0], "Replication runs require\r\na constant # of prototypes!\r\nReps set to unity.");
  EXPECT_FALSE(shell.enabled(MenuItem::Compareoverreplications1));
}

TEST_F(Parameters, LowerAboveUpperKeepsTheDialogOpenAfterTheReplicationMessage) {
  bool closed = true;
  parameterize({{0, "5"}, {1, "2"}, {7, "3"}}, &closed);
  EXPECT_FALSE(closed);
  EXPECT_EQ(shell.messages,
            (std::vector<std::string>{
                "Replication runs require\r\na constant # of prototypes!\r\nReps set to unity.",
                "Lower <= upper required; re-enter."}));
  EXPECT_FALSE(shell.enabled(MenuItem::Run1));
  EXPECT_FALSE(ws->ParamsEntered);
  // Closed however it was: Initialize is enabled and no prototypes are current.
  EXPECT_TRUE(shell.enabled(MenuItem::Initialize1));
  EXPECT_EQ(ws->NumPrototypes, 0);
}

TEST_F(Parameters, ANonNumericEntryKeepsTheEntriesBeforeIt) {
  parameterize({});  // a first accepted set
  bool closed = false;
  parameterize({{0, "2"}, {1, "3"}, {2, "7"}, {3, "many"}, {4, "0.5"}, {7, "9"}}, &closed);
  EXPECT_EQ(shell.messages.back(), "Input  error. Repeat.");
  EXPECT_EQ(ws->LowerLimit, 2);
  EXPECT_EQ(ws->UpperLimit, 3);
  EXPECT_EQ(ws->NumTrials, 7);
  EXPECT_EQ(ws->NumEpochs, 50);             // previous value
  EXPECT_EQ(ws->InitLearningRate, 0.3);     // previous value
  EXPECT_EQ(ws->NumReplications, 1);        // previous value, no reps message
  EXPECT_EQ(shell.messages.size(), 1u);
  EXPECT_TRUE(closed);
}

TEST_F(Parameters, ReplicationsNeedAConstantNumberOfPrototypesWhateverWasConverted) {
  parameterize({{0, "3"}, {1, "3"}, {7, "5"}});  // an accepted set with 5 replications
  ASSERT_EQ(ws->NumReplications, 5);
  bool closed = false;
  // The epochs fail to convert: the range 2..3 is stored beside the earlier
  // 5 replications, which the rule then sets to 1.
  parameterize({{0, "2"}, {1, "3"}, {3, "many"}}, &closed);
  EXPECT_TRUE(closed);
  EXPECT_EQ(ws->LowerLimit, 2);
  EXPECT_EQ(ws->UpperLimit, 3);
  EXPECT_EQ(ws->NumReplications, 1);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{
                                "Input  error. Repeat.",
                                "Replication runs require\r\na constant # of prototypes!\r\nReps set to unity."}));
  EXPECT_FALSE(shell.enabled(MenuItem::Compareoverreplications1));
}

TEST_F(Parameters, ARefusedAttemptStoresNothingNew) {
  parameterize({{0, "2"}, {1, "4"}, {2, "10"}});
  for (auto entries : {std::vector<std::pair<int, const char*>>{{0, "9"}, {1, "3"}, {2, "55"}},
                       std::vector<std::pair<int, const char*>>{{0, "1"}, {2, "55"}, {4, "2"}}}) {
    bool closed = true;
    shell.paramDialogs.push_back([&](ParamDialog& d) {
      for (const auto& [i, text] : entries) d.edits[static_cast<std::size_t>(i)] = text;
      closed = d.ok();
    });
    runCommand(ctx, parameterize1Click);
    EXPECT_FALSE(closed);
    EXPECT_EQ(ws->LowerLimit, 2);
    EXPECT_EQ(ws->UpperLimit, 4);
    EXPECT_EQ(ws->NumTrials, 10);
    EXPECT_EQ(ws->InitLearningRate, 0.3);
  }
}

TEST_F(Parameters, ANonNumericEntryBeforeAnyAcceptedSetKeepsTheDialogOpen) {
  // The earlier values are still the zeros of a new workspace: training with
  // them would run schedules from 0.
  bool closed = true;
  parameterize({{3, "x"}}, &closed);
  EXPECT_EQ(shell.messages.back(), "Input  error. Repeat.");
  EXPECT_FALSE(closed);
  EXPECT_FALSE(shell.enabled(MenuItem::Run1));
}

TEST_F(Parameters, SelectingTanimotoTakesEffectWithoutOk) {
  shell.paramDialogs.push_back([](ParamDialog& d) { d.selectTanimoto(); });  // close box
  runCommand(ctx, parameterize1Click);
  EXPECT_EQ(ws->DistanceKind, DistTanimoto);
  EXPECT_FALSE(ws->ParamsEntered);
  EXPECT_TRUE(shell.enabled(MenuItem::Initialize1));
  EXPECT_EQ(shell.status(), "Ready for training.");
  // Stored values are restored into the controls once accepted.
  parameterize({});
  ParamDialog d(ctx);
  EXPECT_TRUE(d.radioButton2);  // OK re-filled from defaults on first use
}

TEST_F(Parameters, RefusesValuesTheTrainingCannotUse) {
  const std::vector<std::pair<int, const char*>> bad = {
      {0, "0"},    {0, "31"},  {1, "31"},   {2, "-1"},  {3, "0"},    {4, "0"},
      {4, "1"},    {4, "-0.1"}, {5, "0"},   {6, "0"},   {6, "127"},  {7, "51"},
      {3, "14316558"},  // 150 cases x epochs beyond 32 bits
  };
  for (const auto& [field, text] : bad) {
    ScriptedShell sh;
    auto w = Workspace::create();
    w->NumCases = 150;
    Context c(*w, sh);
    ParamDialog d(c);
    d.edits[static_cast<std::size_t>(field)] = text;
    EXPECT_FALSE(d.ok()) << "field " << field << " = " << text;
    ASSERT_EQ(sh.messages.size(), 1u);
    EXPECT_NE(sh.messages[0].find("Please correct the entry."), std::string::npos);
    EXPECT_FALSE(sh.enabled(MenuItem::Run1));
    EXPECT_FALSE(w->ParamsEntered);
  }
}

TEST_F(Parameters, ReplicationsBelowOneBecomeOneSilently) {
  parameterize({{0, "2"}, {1, "2"}, {7, "-3"}});
  EXPECT_EQ(ws->NumReplications, 1);
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Parameters, NeighborUpdateFollowsTheCheckBox) {
  shell.paramDialogs.push_back([](ParamDialog& d) {
    d.checkBox1 = false;
    d.ok();
  });
  runCommand(ctx, parameterize1Click);
  EXPECT_FALSE(ws->NeighborUpdate);
  ParamDialog d(ctx);
  EXPECT_FALSE(d.checkBox1);
}

TEST(StartUp, MainWindowCreationSetsMenusStatusAndChart) {
  auto ws = Workspace::create();
  ScriptedShell shell;
  Context ctx(*ws, shell);
  ws->ParamsEntered = true;
  ws->UseSubtClus = true;
  mainWindowCreated(ctx);
  EXPECT_FALSE(ws->ParamsEntered);
  EXPECT_FALSE(ws->UseSubtClus);
  EXPECT_EQ(ws->DistanceKind, DistEuclidean);
  EXPECT_EQ(shell.status(), "Status...");
  EXPECT_EQ(shell.chartTitle, "Sum of distances (bars), wSSI (line)");
  EXPECT_EQ(shell.chartFoot, "# of classes (prototypes)");
  for (MenuItem m : {MenuItem::Parameterize1, MenuItem::Run1, MenuItem::Compareoverreplications1,
                     MenuItem::Adjacencygraph1, MenuItem::BlockssamplesxPrototypescontingencytable1,
                     MenuItem::Adjgraphforselectedblockssamples1})
    EXPECT_FALSE(shell.enabled(m));
}
