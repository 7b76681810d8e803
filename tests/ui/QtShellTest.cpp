#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include "ScriptedPrompter.h"
#include "core/Workspace.h"
#include "ui/Main.h"
#include "ui/MainChart.h"
#include "ui/QtShell.h"
#include "ui/StatusLine.h"
#include "ui/Unit5.h"
#include "ui/QtPrompter.h"
#include "support/TempDir.h"
#include <QMenuBar>

using namespace volmar;
using volmar::test::ScriptedPrompter;
using volmar::test::TempDir;

namespace {

class QtShellOnWindow : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedPrompter ask;
  TFMain win{*ws, ask};
  QtShell& sh = win.shell();
};

}  // namespace

TEST(FileDialogFilters, KeepTheDescriptionAndTurnStarDotStarIntoAnyName) {
  EXPECT_EQ(qtNameFilter("Data files (*.dat)|*.dat"), "Data files (*.dat) (*.dat)");
  EXPECT_EQ(qtNameFilter("All files(*.*)|*.*"), "All files(*.*) (*)");
  EXPECT_EQ(qtNameFilter("Blocks(sample)xPrototypes|*.bsp"), "Blocks(sample)xPrototypes (*.bsp)");
  EXPECT_EQ(qtNameFilter("Data|*.dat;*.txt"), "Data (*.dat *.txt)");
}

TEST(FileDialogFilters, TheDialogListsTheDescriptionsExactly) {
  FileDialog d;
  d.filters = {"Data files (*.dat)|*.dat", "All files(*.*)|*.*", "Blocks(sample)xPrototypes|*.bsp"};
  QFileDialog dlg;
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setOption(QFileDialog::HideNameFilterDetails);
  dlg.setNameFilters(qtNameFilters(d));
  auto* combo = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(0), "Data files (*.dat)");
  EXPECT_EQ(combo->itemText(1), "All files(*.*)");
  EXPECT_EQ(combo->itemText(2), "Blocks(sample)xPrototypes");
}

TEST_F(QtShellOnWindow, AnUnchangedStatusTextCostsNothing) {
  sh.setStatus("Refresh adjacency matrix...");
  EXPECT_EQ(win.Panel3->text(), "Refresh adjacency matrix...");
  const long before = sh.repaintPoints();
  for (int i = 0; i < 10000; ++i) sh.setStatus("Refresh adjacency matrix...");
  EXPECT_EQ(sh.repaintPoints(), before);
  sh.setStatus("Classify...");
  EXPECT_EQ(sh.repaintPoints(), before + 1);
  EXPECT_EQ(win.Panel3->text(), "Classify...");
}

TEST_F(QtShellOnWindow, RepaintPointsLetPendingEventsThroughButNoInput) {
  win.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
  int delivered = 0;
  auto post = [&] { QMetaObject::invokeMethod(&win, [&] { ++delivered; }, Qt::QueuedConnection); };
  post();
  sh.setStatus("Update...");
  EXPECT_EQ(delivered, 1);
  post();
  sh.appendLine("epoch #: 1");
  sh.selectLastLine();
  EXPECT_EQ(delivered, 2);
  post();
  sh.refreshChart();
  EXPECT_EQ(delivered, 3);
  post();
  sh.showGraphView();
  EXPECT_EQ(delivered, 4);
  post();
  sh.repaintList();
  EXPECT_EQ(delivered, 5);
  // Appending alone is no repaint point.
  post();
  sh.appendLine("more");
  EXPECT_EQ(delivered, 5);
  QApplication::processEvents();
}

TEST_F(QtShellOnWindow, SelectingTheLastLineScrollsItIntoView) {
  win.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
  for (int i = 1; i <= 300; ++i) sh.appendLine("line " + std::to_string(i));
  EXPECT_EQ(win.ListBox1->count(), 300);
  sh.selectLastLine();
  EXPECT_EQ(win.ListBox1->currentRow(), 299);
  const QRect last = win.ListBox1->visualItemRect(win.ListBox1->item(299));
  EXPECT_TRUE(win.ListBox1->viewport()->rect().contains(last));
  sh.clearLines();
  EXPECT_EQ(win.ListBox1->count(), 0);
  sh.selectLastLine();  // nothing to select
}

TEST_F(QtShellOnWindow, ChartSeriesAreAddressedByPositionWithTheirLabels) {
  MainChart& chart = *win.Chart1;
  sh.setChartTitle("Sum of distances (bars), wSSI (line)");
  sh.setChartFoot("# of classes (prototypes)");
  sh.clearSeries(Series::Bars);
  sh.clearSeries(Series::Line);
  EXPECT_EQ(chart.pointCount(Series::Bars), 0);
  for (int n = 1; n <= 4; ++n) {
    sh.addPoint(Series::Bars, 0, std::to_string(n));
    sh.addPoint(Series::Line, 0, std::to_string(n));
  }
  sh.setLeftAxis(0, 1.1 * 250.0);
  sh.setPointValue(Series::Bars, 2, 250.0);
  sh.setPointValue(Series::Line, 2, 0.42);
  sh.setPointValue(Series::Bars, 9, 1.0);  // no such point: ignored
  sh.refreshChart();
  EXPECT_EQ(chart.value(Series::Bars, 2), 250.0);
  EXPECT_EQ(chart.value(Series::Line, 2), 0.42);
  EXPECT_EQ(chart.label(Series::Bars, 3), "4");
  EXPECT_EQ(chart.pointCount(Series::Bars), 4);
  // The left axis stays where it was set, whatever the bars do.
  EXPECT_FALSE(chart.leftAxisAutomatic());
  EXPECT_DOUBLE_EQ(chart.leftMin(), 0.0);
  EXPECT_DOUBLE_EQ(chart.leftMax(), 275.0);
  sh.addPoint(Series::Bars, 900.0, "5");
  EXPECT_DOUBLE_EQ(chart.leftMax(), 275.0);
  EXPECT_EQ(chart.rightMax(), 1.0);
}

TEST_F(QtShellOnWindow, TheLeftAxisGoesFromASmallToAHugeRangeInOneStep) {
  // The axis must not lay out the huge range with the small range's tick
  // step on the way (millions of ticks: the program would hang here).
  sh.setLeftAxis(0, 2.0);
  win.show();
  QCoreApplication::processEvents();
  sh.setLeftAxis(0, 1.1e9);
  sh.refreshChart();
  EXPECT_DOUBLE_EQ(win.Chart1->leftMax(), 1.1e9);
  sh.setLeftAxis(0, 3.0);
  sh.refreshChart();
  EXPECT_DOUBLE_EQ(win.Chart1->leftMax(), 3.0);
}

TEST_F(QtShellOnWindow, RepeatedLabelsAreKept) {
  sh.clearSeries(Series::Bars);
  sh.clearSeries(Series::Line);
  sh.addPoint(Series::Bars, 1, "0");
  sh.addPoint(Series::Bars, 2, "0");
  EXPECT_EQ(win.Chart1->pointCount(Series::Bars), 2);
  EXPECT_EQ(win.Chart1->label(Series::Bars, 1), "0");
}

TEST_F(QtShellOnWindow, TheBusyCursorIsSetOnceAndTakenBackOnce) {
  sh.setBusyCursor(true);
  sh.setBusyCursor(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  sh.setBusyCursor(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  sh.setBusyCursor(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A line wider than the list (the adjacency rows of 30 prototypes) can be
// scrolled to its end; a new run's list starts narrow again.
TEST_F(QtShellOnWindow, TheOutputListScrollsAcrossToTheEndOfItsWidestLine) {
  win.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
  std::string row;
  for (int j = 0; j < 30; ++j) row += "1 0 ";
  sh.appendLine("adjacency matrix:");
  for (int i = 0; i < 30; ++i) sh.appendLine(row);
  sh.appendLine(" ");
  sh.selectLastLine();
  QListWidget& list = *win.ListBox1;
  const int textWidth = list.fontMetrics().horizontalAdvance(QString::fromStdString(row));
  ASSERT_GT(textWidth, list.viewport()->width());
  EXPECT_GE(list.horizontalScrollBar()->maximum() + list.viewport()->width(), textWidth);
  sh.clearLines();
  sh.appendLine("epoch #: 1 | sum(dist^2) = 1.000");
  QApplication::processEvents();
  EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
}

TEST_F(QtShellOnWindow, EachRunGetsANewHiddenGraphView) {
  TForm5* first = sh.graphView();
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(first->isVisible());
  sh.showGraphView();
  EXPECT_TRUE(sh.graphView()->isVisible());
  sh.createGraphView();
  EXPECT_FALSE(sh.graphView()->isVisible());
  sh.showGraphView();
  EXPECT_TRUE(sh.graphView()->isVisible());
}

TEST(FileDialogPresets, ShowThePatternAndOnlyANameTheFilterMatches) {
  TempDir dir;
  const std::string data = dir.write("survey.dat", "1");
  struct Case {
    std::vector<std::string> filters;
    int index;
    std::string fileName;
    QString name;
  } cases[] = {
      {{"Weights (*.wgt)|*.wgt"}, 1, "*.wgt", "*.wgt"},
      {{"Weights (*.wgt)|*.wgt"}, 1, data, ""},  // the data file is not offered for prototypes
      {{"Data|*.dat;*.asc", "All|*.*"}, 1, data, "survey.dat"},
      {{"Text|*.txt", "All files|*.*"}, 2, data, "survey.dat"},
      {{}, 1, data, "survey.dat"},
  };
  for (const Case& c : cases) {
    FileDialog d;
    d.filters = c.filters;
    d.filterIndex = c.index;
    d.fileName = c.fileName;
    const FilePreset p = filePreset(d, QStringLiteral("/elsewhere"));
    EXPECT_EQ(p.name, c.name) << c.fileName;
    // The folder of a preset path is kept whatever the name.
    EXPECT_EQ(p.folder, c.fileName == "*.wgt" ? QStringLiteral("/elsewhere") : QString::fromStdString(dir.path()));
  }
}

TEST_F(QtShellOnWindow, TheGraphViewOpensBesideTheMainWindowOrWhereItWasLeft) {
  win.show();
  sh.createGraphView();
  TForm5* view = win.graphView();
  const QRect menu(win.menuBar()->mapToGlobal(QPoint(0, 0)), win.menuBar()->size());
  EXPECT_FALSE(view->frameGeometry().intersects(menu));
  // The screen has no room beside the window: the view covers the output
  // list, not the chart.
  const QRect chart(win.Chart1->mapToGlobal(QPoint(0, 0)), win.Chart1->size());
  EXPECT_FALSE(view->frameGeometry().intersects(chart));
  view->show();
  view->move(123, 456);
  const QPoint left = view->pos();
  sh.createGraphView();
  EXPECT_EQ(win.graphView()->pos(), left);
}
