// Whole sessions in the window: open, parameterize, train, and what the
// menu offers afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

#include "ScriptedPrompter.h"
#include "core/Parallel.h"
#include "core/Workspace.h"
#include "support/TempDir.h"
#include "ui/Main.h"
#include "ui/MainChart.h"
#include "ui/Param.h"
#include "ui/QtShell.h"
#include "ui/StatusLine.h"
#include "ui/Unit2.h"
#include "ui/Unit5.h"

using namespace volmar;
using volmar::test::ScriptedPrompter;
using volmar::test::TempDir;
using M = MenuItem;

namespace {

// 24 cases of 2 variables in three loose groups.
std::string threeGroups() {
  std::ostringstream out;
  const double centres[3][2] = {{0, 0}, {5, 1}, {2, 6}};
  for (int i = 0; i < 24; ++i) {
    const double* c = centres[i % 3];
    out << c[0] + 0.1 * (i % 5) - 0.2 << ' ' << c[1] + 0.07 * (i % 7) - 0.2 << "\r\n";
  }
  return out.str();
}

class TrainingInWindow : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedPrompter ask;
  std::unique_ptr<TFMain> win = std::make_unique<TFMain>(*ws, ask);
  TempDir dir;

  // Opens the three groups; kind: "" two-way, "k" k-blocks of 3, "s" k-samples.
  void open(const std::string& kind) {
    const std::string data = dir.write("groups.dat", threeGroups());
    ask.dataDialogs.push_back([kind](TBtnRightDlg& d) {
      d.Edit2->setText("2");
      if (kind == "k") {
        d.kblock->click();
        d.bssize->setText("3");
      }
      if (kind == "s") d.ksample->click();
      d.OKBtn->click();
    });
    ask.openFiles.push_back(data);
    if (kind == "s") {
      std::string subs;
      for (int i = 0; i < 24; ++i) subs += std::to_string(1 + i % 2) + "\n";
      ask.openFiles.push_back(dir.write("groups.sub", subs));
    }
    win->action(M::Open1)->trigger();
  }

  void parameterize(const char* lower, const char* upper, const char* reps, bool neighbours = true) {
    ask.paramDialogs.push_back([=](TForm1& d) {
      d.edit(1)->setText(lower);
      d.edit(2)->setText(upper);
      d.edit(3)->setText("3");
      d.edit(4)->setText("4");
      d.edit(8)->setText(reps);
      d.CheckBox1->setChecked(neighbours);
      d.Button1->click();
    });
    win->action(M::Parameterize1)->trigger();
  }

  void train() {
    ASSERT_TRUE(win->isReachable(M::Run1));
    win->action(M::Run1)->trigger();
  }

  bool has(const std::string& message) const {
    for (const auto& m : ask.messages)
      if (m.rfind(message, 0) == 0) return true;
    return false;
  }
};

}  // namespace

TEST_F(TrainingInWindow, ACompletedRunReportsAndEnablesItsAnalyses) {
  open("");
  parameterize("1", "3", "1");
  train();
  EXPECT_TRUE(has("Highest wSSI = ")) << ask.messages.front();
  EXPECT_TRUE(has("Training completed."));
  EXPECT_EQ(win->Panel3->text(), "Done.");
  EXPECT_FALSE(win->shell().busyCursor());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  EXPECT_TRUE(win->isReachable(M::Adjacencygraph1));
  EXPECT_TRUE(win->isReachable(M::statNeighborhood1));
  EXPECT_FALSE(win->isReachable(M::Compareoverreplications1));
  EXPECT_FALSE(win->isReachable(M::BlockssamplesxPrototypescontingencytable1));
  EXPECT_FALSE(win->isReachable(M::absfrequencies1));

  // The run wrote the list, the chart and showed the graph view.
  QListWidget* list = win->ListBox1;
  ASSERT_GT(list->count(), 10);
  EXPECT_EQ(list->item(0)->text(), "   >>> # OF SEGMENTS IS 1 <<<");
  EXPECT_EQ(list->currentRow(), list->count() - 1);
  EXPECT_EQ(win->Chart1->pointCount(Series::Bars), 3);
  EXPECT_EQ(win->Chart1->label(Series::Bars, 2), "3");
  EXPECT_GT(win->Chart1->value(Series::Bars, 0), win->Chart1->value(Series::Bars, 2));
  EXPECT_FALSE(win->Chart1->leftAxisAutomatic());
  ASSERT_NE(win->graphView(), nullptr);
  EXPECT_TRUE(win->graphView()->isVisible());

  // Refining the last set of prototypes lowers (or keeps) its bar.
  ASSERT_TRUE(win->isReachable(M::Refineprototypes1));
  const double trained = win->Chart1->value(Series::Bars, 2);
  ask.inputs.push_back("20");
  win->action(M::Refineprototypes1)->trigger();
  EXPECT_EQ(list->item(list->count() - 1)->text().left(6), "Conver");
  EXPECT_LE(win->Chart1->value(Series::Bars, 2), trained);
  EXPECT_EQ(win->Panel3->text(), "Done.");
}

TEST_F(TrainingInWindow, WithoutNeighbourUpdateTheGraphStaysHiddenAndDisabled) {
  open("");
  parameterize("2", "3", "1", false);
  train();
  EXPECT_TRUE(has("Training completed."));
  EXPECT_FALSE(win->isReachable(M::Adjacencygraph1));
  EXPECT_FALSE(win->graphView()->isVisible());
}

TEST_F(TrainingInWindow, ReplicationsEnableTheComparison) {
  open("");
  parameterize("3", "3", "3");
  train();
  EXPECT_TRUE(has("Training completed."));
  EXPECT_FALSE(has("Highest wSSI = "));
  EXPECT_TRUE(win->isReachable(M::Compareoverreplications1));
}

// After a run of replications the refinement asks whether to refine them
// all; Yes lists each and keeps the best in the chart and the list.
TEST_F(TrainingInWindow, RefiningEveryReplicationKeepsTheBest) {
  open("");
  parameterize("3", "3", "3");
  train();
  ask.inputs.push_back("20");
  ask.answers.push_back(Answer::Yes);
  const auto asked = ask.questions.size();
  win->action(M::Refineprototypes1)->trigger();
  ASSERT_EQ(ask.questions.size(), asked + 2);  // the iterations, then the replications
  EXPECT_EQ(ask.questions.back(), std::string("The last training run has 3 replications.\r\n"
                                              "Refine each of them and keep the best (Yes),\r\n"
                                              "or the last one only (No)?"));
  QListWidget* list = win->ListBox1;
  std::vector<double> ends;
  for (int i = 0; i < list->count(); ++i) {
    const std::string l = list->item(i)->text().toStdString();
    if (l.rfind("   replication ", 0) == 0) ends.push_back(std::stod(l.substr(l.find(" -> ") + 4)));
  }
  ASSERT_EQ(ends.size(), 3u);
  const std::string last = list->item(list->count() - 1)->text().toStdString();
  EXPECT_EQ(last.rfind("Replication ", 0), 0u) << last;
  EXPECT_EQ(list->currentRow(), list->count() - 1);
  EXPECT_DOUBLE_EQ(std::round(win->Chart1->value(Series::Bars, 2) * 1000) / 1000,
                   *std::min_element(ends.begin(), ends.end()));
  EXPECT_EQ(win->Panel3->text(), "Done.");
}

TEST_F(TrainingInWindow, KBlocksEnableTheContingencyTableAndThePairwiseTables) {
  open("k");
  parameterize("2", "3", "1");
  train();
  EXPECT_TRUE(win->isReachable(M::BlockssamplesxPrototypescontingencytable1));
  EXPECT_TRUE(win->isReachable(M::absfrequencies1));
  EXPECT_TRUE(win->isReachable(M::standardizeddeviations1));
}

TEST_F(TrainingInWindow, KSamplesEnableTheContingencyTableButNotThePairwiseTables) {
  open("s");
  EXPECT_TRUE(has("Subsample indicator read."));
  parameterize("2", "3", "1");
  train();
  EXPECT_TRUE(win->isReachable(M::BlockssamplesxPrototypescontingencytable1));
  EXPECT_FALSE(win->isReachable(M::Crosstabulateblockspairwise1));
  EXPECT_FALSE(win->isReachable(M::absfrequencies1));
}

TEST_F(TrainingInWindow, ReadingPrototypesEnablesRecall) {
  open("");
  parameterize("2", "2", "1");
  ask.openFiles.push_back(dir.write("two.wgt", " 0.000 0.000 \r\n 5.000 1.000 \r\n"));
  ASSERT_TRUE(win->isReachable(M::Readprototypesfromfile1));
  win->action(M::Readprototypesfromfile1)->trigger();
  EXPECT_TRUE(has("2 prototypes read."));
  EXPECT_TRUE(win->isReachable(M::Recall));
  EXPECT_TRUE(win->isReachable(M::Refineprototypes1));
  EXPECT_EQ(win->Panel3->text(), "Done.");
}

// Closing the window during a run asks once, stops the run at its next
// epoch or trial (on one thread or several) and then closes the window.
TEST_F(TrainingInWindow, ClosingTheWindowDuringARunStopsItAndCloses) {
  for (int threads : {1, 2}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    SetEngineThreads(threads);
    win.reset();
    ws = Workspace::create();
    win = std::make_unique<TFMain>(*ws, ask);
    win->show();
    ask.messages.clear();
    ask.questions.clear();
    open("");
    parameterize("2", "6", "1");
    ask.answers.push_back(Answer::Yes);
    QTimer::singleShot(0, win.get(), [this] { win->close(); });
    train();
    EXPECT_EQ(ask.questions, std::vector<std::string>{"Quit Volmar?"});
    EXPECT_FALSE(has("Training completed."));
    EXPECT_EQ(win->Panel3->status(), QString("Training stopped."));
    EXPECT_FALSE(win->isVisible());
    EXPECT_FALSE(win->commandRunning());
  }
  SetEngineThreads(0);
}
