// The stability studies in the real main window: the menu's enabling, the
// dialog, the progress bar with its Stop button, the chart window and the
// values file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <sstream>

#include "ScriptedPrompter.h"
#include "core/Workspace.h"
#include "support/TempDir.h"
#include "ui/Main.h"
#include "ui/Param.h"
#include "ui/QtShell.h"
#include "ui/StabilityWindow.h"
#include "ui/StatusLine.h"
#include "ui/Unit2.h"

using namespace volmar;
using volmar::test::readFile;
using volmar::test::ScriptedPrompter;
using volmar::test::TempDir;
using M = MenuItem;

namespace {

std::string threeGroups() {
  std::ostringstream out;
  const double centres[3][2] = {{0, 0}, {5, 1}, {2, 6}};
  for (int i = 0; i < 90; ++i) {
    const double* c = centres[i % 3];
    out << c[0] + 0.1 * (i % 5) - 0.2 << ' ' << c[1] + 0.07 * (i % 7) - 0.2 << "\r\n";
  }
  return out.str();
}

std::vector<StabilityWindow*> chartWindows() {
  std::vector<StabilityWindow*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* s = qobject_cast<StabilityWindow*>(w); s && s->isVisible()) out.push_back(s);
  return out;
}

// With VOLMAR_SCREENSHOTS set, a picture of the widget in that folder.
void screenshot(QWidget* w, const char* name) {
  if (const char* dir = std::getenv("VOLMAR_SCREENSHOTS"))
    w->grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
}

}  // namespace

TEST(StabilityInWindow, DialogProgressStopChartAndValuesFile) {
  auto ws = Workspace::create();
  // A fixed seed: from the clock, about one study in thirty of three
  // segments meets a poor local optimum in most of its fits.
  ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(1));
  ScriptedPrompter ask;
  auto win = std::make_unique<TFMain>(*ws, ask);
  win->show();
  TempDir dir;
  EXPECT_FALSE(win->isReachable(M::Globalbootstrap1));
  ask.dataDialogs.push_back([](TBtnRightDlg& d) {
    d.Edit2->setText("2");
    d.OKBtn->click();
  });
  ask.openFiles.push_back(dir.write("groups.dat", threeGroups()));
  win->action(M::Open1)->trigger();
  ask.messages.clear();
  ask.paramDialogs.push_back([](TForm1& d) {
    d.edit(1)->setText("2");
    d.edit(2)->setText("5");
    d.edit(3)->setText("5");
    d.edit(4)->setText("5");
    d.CheckBox1->setChecked(false);
    d.Button1->click();
  });
  win->action(M::Parameterize1)->trigger();
  ASSERT_TRUE(win->isReachable(M::Globalbootstrap1));
  EXPECT_FALSE(win->isReachable(M::Segmentsbootstrap1));
  EXPECT_FALSE(win->isReachable(M::Stabilityvalues1));
  EXPECT_EQ(win->action(M::Globalbootstrap1)->text(), "&Global (bootstrap)...");

  // The dialog shows the parameters' range and refuses what is wrong.
  ask.stabilityDialogs.push_back([](StabilityDialogBox& d) {
    EXPECT_EQ(d.lowerEdit()->text(), "2");
    EXPECT_EQ(d.upperEdit()->text(), "5");
    EXPECT_EQ(d.pairsEdit()->text(), "100");
    EXPECT_TRUE(d.refineBox()->isEnabled());
    d.pairsEdit()->setText("0");
    d.okClick();
    EXPECT_FALSE(d.problem()->isHidden());
    EXPECT_EQ(d.problem()->text(), "The number of pairs must be from 1 to 1000.");
    d.pairsEdit()->setText("15");
    d.upperEdit()->setText("4");
    d.okClick();
  });
  win->action(M::Globalbootstrap1)->trigger();
  ASSERT_TRUE(ask.messages.empty()) << ask.messages[0];
  QListWidget* list = win->findChild<QListWidget*>("ListBox1");
  ASSERT_TRUE(list);
  ASSERT_GE(list->count(), 6);
  EXPECT_EQ(list->item(list->count() - 5)->text(), "   Global stability (bootstrap), adjusted Rand index, 15 pairs");
  EXPECT_EQ(win->findChild<StatusLine*>("Panel3")->status(), "Done.");
  QProgressBar* bar = win->shell().progressBar();
  ASSERT_TRUE(bar);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(bar->maximum(), 90);  // 3 numbers of segments x 15 pairs x 2 fits
  EXPECT_EQ(bar->value(), 90);
  auto charts = chartWindows();
  ASSERT_EQ(charts.size(), 1u);
  StabilityWindow* chart = charts[0];
  EXPECT_EQ(chart->windowTitle(), "Global stability (15 bootstrap pairs)");
  ASSERT_EQ(chart->chart1()->chart().boxes.size(), 3u);
  EXPECT_EQ(chart->chart1()->chart().boxes[1].label, "3");
  EXPECT_GT(chart->chart1()->chart().boxes[1].median, 0.95);
  screenshot(chart, "stability-chart");
  // The chart saved as SVG from its window.
  ask.saveFiles.push_back(dir.file("chart.svg"));
  chart->savechart1()->trigger();
  EXPECT_NE(readFile(dir.file("chart.svg")).find("<svg"), std::string::npos);
  EXPECT_EQ(ask.messages.back(), "Chart written.");

  // File > Save > Stability values...
  ASSERT_TRUE(win->isReachable(M::Stabilityvalues1));
  ask.saveFiles.push_back(dir.file("values.txt"));
  win->action(M::Stabilityvalues1)->trigger();
  EXPECT_EQ(ask.messages.back(), "Stability values written.");
  const std::string values = readFile(dir.file("values.txt"));
  EXPECT_EQ(std::count(values.begin(), values.end(), '\n'), 15);

  // A long study, stopped by its Stop button while it runs.
  bool sawProgress = false;
  QTimer watch;
  watch.setInterval(5);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    QPushButton* stop = win->shell().stopButton();
    if (!stop || !bar->isVisible() || bar->value() == 0) return;
    watch.stop();
    sawProgress = bar->value() < bar->maximum() && stop->isVisible() && stop->isEnabled();
    screenshot(win.get(), "stability-progress");
    stop->click();
  });
  watch.start();
  const int lines = list->count();
  ask.stabilityDialogs.push_back([](StabilityDialogBox& d) {
    d.pairsEdit()->setText("1000");
    d.upperEdit()->setText("30");  // 58000 fits: long enough to be stopped
    d.okClick();
  });
  win->action(M::Globalbootstrap1)->trigger();
  EXPECT_TRUE(sawProgress);
  EXPECT_EQ(list->count(), lines);
  EXPECT_EQ(win->findChild<StatusLine*>("Panel3")->status(), "Stability study stopped.");
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(chartWindows().size(), 1u);

  // After a training run the segments of its solution.
  ask.paramDialogs.push_back([](TForm1& d) {
    d.edit(1)->setText("3");
    d.edit(2)->setText("3");
    d.Button1->click();
  });
  win->action(M::Parameterize1)->trigger();
  ask.answers.assign(5, Answer::Ok);
  win->action(M::Run1)->trigger();
  ASSERT_TRUE(win->isReachable(M::Segmentsbootstrap1));
  ask.messages.clear();
  ask.stabilityDialogs.push_back([](StabilityDialogBox& d) {
    EXPECT_TRUE(d.lowerEdit()->isHidden());
    d.pairsEdit()->setText("10");
    d.okClick();
  });
  win->action(M::Segmentsbootstrap1)->trigger();
  ASSERT_TRUE(ask.messages.empty()) << ask.messages[0];
  EXPECT_EQ(list->item(list->count() - 4)->text().left(10), "   segment");
  charts = chartWindows();
  ASSERT_EQ(charts.size(), 2u);
  for (StabilityWindow* w : charts) w->close();
}
