// The analyses of a trained solution in the real main window: comparison
// over replications, the similarity listings, trimming and restoring.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <sstream>

#include "ScriptedPrompter.h"
#include "core/Workspace.h"
#include "support/TempDir.h"
#include "ui/Main.h"
#include "ui/MainChart.h"
#include "ui/Param.h"
#include "ui/QtShell.h"
#include "ui/StatusLine.h"
#include "ui/Unit2.h"

using namespace volmar;
using volmar::test::readFile;
using volmar::test::ScriptedPrompter;
using volmar::test::TempDir;
using M = MenuItem;

namespace {

// 60 cases of 2 variables in three loose groups.
std::string threeGroups() {
  std::ostringstream out;
  const double centres[3][2] = {{0, 0}, {5, 1}, {2, 6}};
  for (int i = 0; i < 60; ++i) {
    const double* c = centres[i % 3];
    out << c[0] + 0.1 * (i % 5) - 0.2 << ' ' << c[1] + 0.07 * (i % 7) - 0.2 << "\r\n";
  }
  return out.str();
}

QStringList tail(const QListWidget* list, int n) {
  QStringList out;
  for (int i = list->count() - n; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

}  // namespace

TEST(AnalysesInWindow, CompareSimilarityTrimAndRestoreAfterATrainingRun) {
  auto ws = Workspace::create();
  ScriptedPrompter ask;
  auto win = std::make_unique<TFMain>(*ws, ask);
  TempDir dir;

  ask.dataDialogs.push_back([](TBtnRightDlg& d) {
    d.Edit2->setText("2");
    d.OKBtn->click();
  });
  ask.openFiles.push_back(dir.write("groups.dat", threeGroups()));
  win->action(M::Open1)->trigger();
  ask.paramDialogs.push_back([](TForm1& d) {
    d.edit(1)->setText("3");
    d.edit(2)->setText("3");
    d.edit(3)->setText("3");
    d.edit(4)->setText("4");
    d.edit(8)->setText("3");
    d.CheckBox1->setChecked(true);
    d.Button1->click();
  });
  win->action(M::Parameterize1)->trigger();
  EXPECT_FALSE(win->isReachable(M::Compareoverreplications1));
  EXPECT_FALSE(win->isReachable(M::statNeighborhood1));
  win->action(M::Run1)->trigger();
  ASSERT_TRUE(win->isReachable(M::Compareoverreplications1));
  ASSERT_TRUE(win->isReachable(M::statNeighborhood1));
  EXPECT_FALSE(win->isReachable(M::Trimadjacencygraph1));
  EXPECT_FALSE(win->isReachable(M::Restoreadjacencygraph1));

  // Compare over replications, the error hits going to a file.
  const std::string err = dir.file("hits.err");
  ask.saveFiles.push_back(err);
  ask.messages.clear();
  const long repaints = win->shell().repaintPoints();
  win->action(M::Compareoverreplications1)->trigger();
  ASSERT_EQ(ask.messages.size(), 2u);
  EXPECT_EQ(ask.messages[1], "Error hits distribution written to file " + err + ".");
  const QStringList lines = tail(win->ListBox1, 10);
  EXPECT_EQ(lines[1], "   Comparison over replications");
  EXPECT_TRUE(lines[4].startsWith("robustness (min=.5,max=1)  ")) << lines[4].toStdString();
  EXPECT_TRUE(lines[9].startsWith("% of maximum reached:      "));
  EXPECT_EQ(win->ListBox1->currentRow(), win->ListBox1->count() - 1);
  MainChart* chart = win->Chart1;
  ASSERT_EQ(chart->pointCount(Series::Bars), 2);  // R = 3: 0 or 1 misplacements
  EXPECT_EQ(chart->label(Series::Bars, 0), "0");
  EXPECT_EQ(chart->label(Series::Bars, 1), "1");
  EXPECT_NEAR(chart->value(Series::Bars, 0) + chart->value(Series::Bars, 1), 100.0, 1e-9);
  EXPECT_EQ(chart->pointCount(Series::Line), 0);
  EXPECT_FALSE(chart->leftAxisAutomatic());
  EXPECT_EQ(chart->leftMin(), 0);
  EXPECT_EQ(chart->leftMax(), 100);
  EXPECT_EQ(chart->titleLine(), "Relative frequencies of the numbers of misplaced pairs");
  EXPECT_EQ(chart->footLine(), "pairs misplaced ... times");
  EXPECT_EQ(win->Panel3->text(), "Done.");
  EXPECT_FALSE(win->shell().busyCursor());
  EXPECT_GT(win->shell().repaintPoints(), repaints);  // painted while counting
  const std::string file = readFile(err);
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 2);

  // The three similarity listings: headers and K(K-1)/2 = 3 pairs each.
  int count = win->ListBox1->count();
  win->action(M::statNeighborhood1)->trigger();
  EXPECT_EQ(win->ListBox1->count(), count + 6);
  EXPECT_EQ(win->ListBox1->item(count + 1)->text(), "statistical neighborhood matrix:");
  EXPECT_TRUE(win->isReachable(M::Trimadjacencygraph1));
  count = win->ListBox1->count();
  win->action(M::squEuclDist1)->trigger();
  EXPECT_EQ(win->ListBox1->count(), count + 6);
  EXPECT_TRUE(win->ListBox1->item(count + 3)->text().contains(":  -"));
  count = win->ListBox1->count();
  win->action(M::statNbhdsquEucD1)->trigger();
  EXPECT_EQ(win->ListBox1->count(), count + 5);
  EXPECT_EQ(win->ListBox1->item(count + 1)->text(), "(statNbhd / Dist) matrix:");

  // Trim above every percentage: no edge is left; restore brings them back.
  const auto learned = ws->Adjacency;
  ask.inputs.push_back("101");
  win->action(M::Trimadjacencygraph1)->trigger();
  EXPECT_EQ(ask.questions.back(), "Input a minimum cutoff value...|for the statistical Neighborhood:|0");
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(ws->Adjacency(i, j), 0);
  ASSERT_TRUE(win->isReachable(M::Restoreadjacencygraph1));
  ask.messages.clear();
  win->action(M::Restoreadjacencygraph1)->trigger();
  EXPECT_EQ(ask.messages, (std::vector<std::string>{"Adjacency graph restored."}));
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(ws->Adjacency(i, j), learned(i, j));
}
