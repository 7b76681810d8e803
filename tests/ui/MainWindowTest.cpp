#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QHelpEvent>
#include <set>

#include "ScriptedPrompter.h"
#include "core/Workspace.h"
#include "support/TempDir.h"
#include "ui/MainChart.h"
#include "ui/Param.h"
#include "ui/QtShell.h"
#include "ui/StatusLine.h"
#include "ui/Unit2.h"
#include "ui/Unit5.h"
#include "ui/Main.h"
#include "ui/MenuTable.h"

using namespace volmar;
using volmar::test::ScriptedPrompter;
using volmar::test::TempDir;
using M = MenuItem;

namespace {

class MainWindow : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedPrompter ask;
  std::unique_ptr<TFMain> win = std::make_unique<TFMain>(*ws, ask);
  TempDir dir;

  // File > "&Open" of a data file, with the dialog's entries for cases and
  // variables.
  void openData(const std::string& contents, const char* cases, const char* vars) {
    const std::string path = dir.write("data.dat", contents);
    ask.dataDialogs.push_back([cases, vars](TBtnRightDlg& d) {
      d.Edit1->setText(QString::fromLatin1(cases));
      d.Edit2->setText(QString::fromLatin1(vars));
      d.OKBtn->click();
    });
    ask.openFiles.push_back(path);
    win->action(M::Open1)->trigger();
  }

  // Analysis > "&Parameterize" with the given entries; OK is pressed.
  void parameterize(const char* lower, const char* upper, const char* reps) {
    ask.paramDialogs.push_back([=](TForm1& d) {
      d.edit(1)->setText(QString::fromLatin1(lower));
      d.edit(2)->setText(QString::fromLatin1(upper));
      d.edit(8)->setText(QString::fromLatin1(reps));
      d.Button1->click();
    });
    win->action(M::Parameterize1)->trigger();
  }

  std::set<M> reachable() const {
    std::set<M> out;
    for (int i = 0; i < MenuItemCount; ++i)
      if (win->isReachable(static_cast<M>(i))) out.insert(static_cast<M>(i));
    return out;
  }

  QStringList captions(QMenu* menu) const {
    QStringList out;
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) out << a->text();
    return out;
  }
};

const std::set<M> AlwaysReachable = {
    M::File1,       M::Open1,        M::Import1,     M::SaveAs1,     M::Prototypes2,
    M::SegmentswithIDs1,
    M::Classlabels1, M::Infooverreplications1, M::BlocksSamplesxPrototypestable2,
    M::PrinterSetup1, M::Print1,     M::PrintChart1, M::PrintAdjacencygraph1,
    M::Quit1,       M::Analysis1,    M::Tabulate1,   M::Prototypes1,
    M::About1,      M::Help2,        M::Help1,       M::HelpFile1,
    M::UserGuide1};

std::set<M> plus(std::set<M> s, std::initializer_list<M> more) {
  s.insert(more);
  return s;
}

}  // namespace

TEST_F(MainWindow, ShowsItsCaptionPanelsStatusAndSampleChart) {
  EXPECT_EQ(win->windowTitle(), "Volmar - 32Bit Version 2008");
  EXPECT_EQ(win->Panel1->text(), "Print output:");
  EXPECT_EQ(win->Panel2->text(), "Graphics output:");
  EXPECT_TRUE(win->Panel1->font().bold());
  EXPECT_TRUE(win->Panel3->font().bold());
  EXPECT_EQ(win->Panel3->text(), "Status...");
  const QFontMetrics fm(win->ListBox1->font());
  EXPECT_EQ(fm.horizontalAdvance("iiii"), fm.horizontalAdvance("WWWW"));  // fixed pitch
  EXPECT_EQ(win->ListBox1->font().pixelSize(), 12);

  MainChart& chart = *win->Chart1;
  EXPECT_EQ(chart.titleLine(), "Sum of distances (bars), wSSI (line)");
  EXPECT_EQ(chart.footLine(), "# of classes (prototypes)");
  const double bars[] = {392.5, 285, 165, 180, 75, 145};
  const double line[] = {0.3, 0.4, 0.5, 0.34, 0.3, 0.25};
  ASSERT_EQ(chart.pointCount(Series::Bars), 6);
  ASSERT_EQ(chart.pointCount(Series::Line), 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(chart.value(Series::Bars, i), bars[i]);
    EXPECT_EQ(chart.value(Series::Line, i), line[i]);
  }
  EXPECT_EQ(chart.rightMin(), 0.0);
  EXPECT_EQ(chart.rightMax(), 1.0);
  EXPECT_GE(chart.leftMax(), 392.5);
}

TEST_F(MainWindow, CreationClearsTheFlagsAndSelectsEuclideanDistance) {
  ws->ParamsEntered = true;
  ws->UseSubtClus = true;
  TFMain second(*ws, ask);
  EXPECT_FALSE(ws->ParamsEntered);
  EXPECT_FALSE(ws->UseSubtClus);
  EXPECT_EQ(ws->DistanceKind, DistEuclidean);
}

TEST_F(MainWindow, StartsWithAClientAreaOf787By548LaidOutByTheResizeRule) {
  win->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
  const QWidget* client = win->centralWidget();
  EXPECT_EQ(client->size(), QSize(787, 548));
  EXPECT_EQ(win->ListBox1->geometry(), QRect(2, 31, 383, 468));
  EXPECT_EQ(win->Chart1->geometry(), QRect(398, 31, 383, 468));
  EXPECT_EQ(win->Panel1->geometry(), QRect(2, 2, 383, 24));
  EXPECT_EQ(win->Panel2->geometry(), QRect(398, 2, 383, 24));
  EXPECT_EQ(win->Panel3->geometry(), QRect(0, 528, 787, 20));
}

TEST_F(MainWindow, ClientWidth1000GivesHalvesOf490AndTheChartAt505) {
  win->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
  const int menuHeight = win->height() - win->centralWidget()->height();
  win->resize(1000, 600 + menuHeight);
  QApplication::processEvents();
  ASSERT_EQ(win->centralWidget()->size(), QSize(1000, 600));
  EXPECT_EQ(win->ListBox1->geometry(), QRect(2, 31, 490, 520));
  EXPECT_EQ(win->Chart1->geometry(), QRect(505, 31, 490, 520));
  EXPECT_EQ(win->Panel1->geometry(), QRect(2, 2, 490, 24));
  EXPECT_EQ(win->Panel2->geometry(), QRect(505, 2, 490, 24));
  EXPECT_EQ(win->Panel3->geometry(), QRect(0, 580, 1000, 20));

  // Odd sizes divide toward zero.
  win->resize(801, 301 + menuHeight);
  QApplication::processEvents();
  EXPECT_EQ(win->ListBox1->geometry(), QRect(2, 31, 390, 221));
  EXPECT_EQ(win->Chart1->geometry(), QRect(405, 31, 390, 221));
}

TEST_F(MainWindow, MenuBarAndSubmenusHoldTheItemsInOrder) {
  QStringList bar;
  for (QAction* a : win->menuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar, (QStringList{"&File", "&Analysis", "&Show", "&About", "&Help"}));
  EXPECT_EQ(captions(win->submenu(M::File1)),
            (QStringList{"&Open", "&Import...", "Save", "Printer &Setup", "Print &Listbox", "Print &Chart",
                         "Print &Adjacency graph", "&Quit"}));
  EXPECT_EQ(captions(win->submenu(M::SaveAs1)),
            (QStringList{"&Prototypes", "&Class labels", "&Info over replications",
                         "&Blocks (Samples) x Prototypes table", "Segments with IDs...",
                         "Segment description...", "Stability values..."}));
  EXPECT_EQ(captions(win->submenu(M::Analysis1)),
            (QStringList{"&Parameterize", "&Initialize", "&Train", "&Recall",
                         "&Compare over replications", "&Similarity of prototypes",
                         "Trim &adjacency graph", "Rest&ore adjacency graph",
                         "&Blocks(samples)xPrototypes contingency table",
                         "C&rosstabulate blocks pairwise", "Refine prototypes (batch k-means)",
                         "Stability"}));
  EXPECT_EQ(captions(win->submenu(M::Stability1)),
            (QStringList{"&Global (bootstrap)...", "&Segments (bootstrap)..."}));
  EXPECT_EQ(captions(win->submenu(M::Initialize1)),
            (QStringList{"Read prototypes from &file", "&Subtractive clustering"}));
  EXPECT_EQ(captions(win->submenu(M::Similarityofprototypes1)),
            (QStringList{"stat. Neighborhood", "- squ.Eucl. Dist.", "statNbhd / squEucD"}));
  EXPECT_EQ(captions(win->submenu(M::Crosstabulateblockspairwise1)),
            (QStringList{"abs. &frequencies", "standardized &deviations"}));
  EXPECT_EQ(captions(win->submenu(M::Tabulate1)),
            (QStringList{"&Prototypes Table", "&Adjacency Graph",
                         "&Blocks (samples) x Prototypes table",
                         "&Frequency of prototypes for selected blocks (samples)",
                         "Frequency of proto&types for current pair of blocks ", "Segment &profiles"}));
  // The F1 item is not in the Help menu, but its shortcut works (below).
  EXPECT_EQ(captions(win->submenu(M::Help2)), (QStringList{"Help&Info", "&User guide"}));
  EXPECT_EQ(win->action(M::HelpFile1)->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(MainWindow, HintsAreToolTipsAndShowInTheStatusLineWhileHovered) {
  EXPECT_EQ(win->action(M::Open1)->toolTip(), "Open data file");
  EXPECT_EQ(win->action(M::Run1)->statusTip(), "Start the training");
  EXPECT_EQ(win->action(M::File1)->statusTip(), "Read / write data");
  EXPECT_EQ(win->action(M::Restoreadjacencygraph1)->statusTip(), "Restore the learned connections");
  EXPECT_EQ(win->action(M::Help1)->statusTip(), "use hints");
  EXPECT_TRUE(win->action(M::Quit1)->statusTip().isEmpty());
  EXPECT_TRUE(win->centralWidget()->toolTip() == "use the hints");

  win->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
  auto toolTipAt = [](QWidget* w, QPoint at) {
    QHelpEvent he(QEvent::ToolTip, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &he);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  QMenuBar* bar = win->menuBar();
  // An item without a hint shows none (not its caption).
  EXPECT_EQ(toolTipAt(bar, bar->actionGeometry(win->action(M::About1)).center()), "");
  EXPECT_EQ(toolTipAt(bar, bar->actionGeometry(win->action(M::Analysis1)).center()),
            "perform training");
  QMenu* file = win->submenu(M::File1);
  file->popup(win->mapToGlobal(QPoint(0, 0)));
  EXPECT_EQ(toolTipAt(file, file->actionGeometry(win->action(M::Open1)).center()),
            "Open data file");
  file->hide();

  win->action(M::Open1)->showStatusText(win->menuBar());
  EXPECT_EQ(win->Panel3->text(), "Open data file");
  // A status text set meanwhile shows once the hint goes.
  win->shell().setStatus("Read data...");
  EXPECT_EQ(win->Panel3->text(), "Open data file");
  win->action(M::Quit1)->showStatusText(win->menuBar());
  EXPECT_EQ(win->Panel3->text(), "Read data...");
}

TEST_F(MainWindow, AtStartOnlyOpenAndTheAlwaysAvailableCommandsCanBeUsed) {
  EXPECT_EQ(reachable(), AlwaysReachable);
  // Enabled in themselves, but inside a disabled menu.
  EXPECT_TRUE(win->action(M::Readprototypesfromfile1)->isEnabled());
  EXPECT_TRUE(win->action(M::statNeighborhood1)->isEnabled());
  EXPECT_TRUE(win->action(M::standardizeddeviations1)->isEnabled());
  EXPECT_FALSE(win->isReachable(M::Readprototypesfromfile1));
  EXPECT_FALSE(win->submenu(M::Initialize1)->menuAction()->isEnabled());
}

TEST_F(MainWindow, ADisabledMenuKeepsItsEnabledItemsOutOfUse) {
  win->shell().enableMenu(M::absfrequencies1, true);
  EXPECT_FALSE(win->isReachable(M::absfrequencies1));
  win->shell().enableMenu(M::Crosstabulateblockspairwise1, true);
  EXPECT_TRUE(win->isReachable(M::absfrequencies1));
  EXPECT_TRUE(win->isReachable(M::standardizeddeviations1));

  win->shell().enableMenu(M::Analysis1, false);
  EXPECT_FALSE(win->isReachable(M::absfrequencies1));
}

TEST_F(MainWindow, ReadingADataFileEnablesParameterize) {
  openData("1 2 3\r\n4 5 6\r\n7 8 9\r\n", "30000", "3");
  EXPECT_EQ(ask.messages, (std::vector<std::string>{"3 records read."}));
  EXPECT_EQ(ws->NumCases, 3);
  EXPECT_EQ(ws->NumVars, 3);
  EXPECT_EQ(win->Panel3->text(), "Done.");
  EXPECT_EQ(reachable(), plus(AlwaysReachable, {M::Parameterize1}));
  ASSERT_EQ(ask.openDialogsShown.size(), 1u);
  EXPECT_EQ(ask.openDialogsShown[0].defaultExt, "dat");
}

TEST_F(MainWindow, OpensTheShippedIrisSample) {
  ask.dataDialogs.push_back([](TBtnRightDlg& d) {
    d.Edit2->setText("4");
    d.OKBtn->click();
  });
  ask.openFiles.push_back(VOLMAR_SAMPLE_DATA_DIR "/iris.dat");
  win->action(M::Open1)->trigger();
  EXPECT_EQ(ask.messages, (std::vector<std::string>{"150 records read."}));
  EXPECT_EQ(ws->NumCases, 150);
  EXPECT_FLOAT_EQ(ws->DataMatrix(150, 4), 1.8f);
}

TEST_F(MainWindow, CancellingTheFileDialogLeavesParameterizeDisabled) {
  ask.openFiles.push_back("");
  win->action(M::Open1)->trigger();
  EXPECT_TRUE(ask.messages.empty());
  EXPECT_EQ(win->Panel3->text(), "Done.");
  EXPECT_EQ(reachable(), AlwaysReachable);
}

TEST_F(MainWindow, AnErrorInACommandIsReportedAndTheWindowGoesOn) {
  openData("1 2\r\n1,5 6\r\n", "30000", "2");
  EXPECT_EQ(ask.messages, (std::vector<std::string>{"Invalid numeric input\r\nLine 2: '1,5' is not a number."}));
  EXPECT_EQ(win->Panel3->text(), "Read data...");
  EXPECT_FALSE(win->isReachable(M::Parameterize1));
  EXPECT_FALSE(win->commandRunning());
  EXPECT_FALSE(win->shell().busyCursor());
}

TEST_F(MainWindow, AcceptedParametersEnableInitializeSubtractiveClusteringAndTrain) {
  openData("1 2\r\n3 4\r\n5 6\r\n", "30000", "2");
  parameterize("1", "4", "1");
  EXPECT_EQ(ask.paramDialogsShown, 1);
  EXPECT_EQ(win->Panel3->text(), "Ready for training.");
  EXPECT_EQ(reachable(), plus(AlwaysReachable, {M::Parameterize1, M::Initialize1,
                                                 M::Readprototypesfromfile1,
                                                 M::Subtractiveclustering1, M::Run1,
                                                 M::Stability1, M::Globalbootstrap1}));
  EXPECT_TRUE(ws->ParamsEntered);
}

TEST_F(MainWindow, ClosingTheParameterDialogUnacceptedStillEnablesInitialize) {
  openData("1 2\r\n3 4\r\n", "30000", "2");
  ask.paramDialogs.push_back([](TForm1& d) {
    d.RadioButton1->click();
    d.reject();
  });
  win->action(M::Parameterize1)->trigger();
  EXPECT_EQ(ws->DistanceKind, DistTanimoto);
  EXPECT_EQ(win->Panel3->text(), "Ready for training.");
  EXPECT_EQ(reachable(), plus(AlwaysReachable, {M::Parameterize1, M::Initialize1,
                                                 M::Readprototypesfromfile1}));
}

TEST_F(MainWindow, OneReplicationDisablesCompareAndSeveralKeepIt) {
  openData("1 2\r\n3 4\r\n5 6\r\n", "30000", "2");
  win->shell().enableMenu(M::Compareoverreplications1, true);
  parameterize("3", "3", "20");
  EXPECT_TRUE(win->isReachable(M::Compareoverreplications1));
  parameterize("2", "5", "20");
  EXPECT_EQ(ask.messages.back(),
            "Replication runs require\r\na constant # of prototypes!\r\nReps set to unity.");
  EXPECT_EQ(ws->NumReplications, 1);
  EXPECT_FALSE(win->isReachable(M::Compareoverreplications1));
}

TEST_F(MainWindow, LowerAboveUpperKeepsTheParameterDialogOpenUntilCorrected) {
  openData("1 2\r\n3 4\r\n5 6\r\n", "30000", "2");
  bool stayedOpen = false;
  ask.paramDialogs.push_back([&](TForm1& d) {
    d.edit(1)->setText("5");
    d.edit(2)->setText("2");
    d.Button1->click();
    stayedOpen = d.result() != QDialog::Accepted;
    d.edit(2)->setText("6");
    d.Button1->click();
  });
  win->action(M::Parameterize1)->trigger();
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(ask.messages.back(), "Lower <= upper required; re-enter.");
  EXPECT_EQ(ws->LowerLimit, 5);
  EXPECT_EQ(ws->UpperLimit, 6);
  EXPECT_TRUE(win->isReachable(M::Run1));
}

TEST_F(MainWindow, ChoosingSubtractiveClusteringAsksNothingButSetsItsFlag) {
  openData("1 2\r\n3 4\r\n5 6\r\n", "30000", "2");
  parameterize("1", "4", "1");
  win->action(M::Subtractiveclustering1)->trigger();
  EXPECT_TRUE(ws->UseSubtClus);
  EXPECT_EQ(ws->NumTrials, 0);
  EXPECT_EQ(win->Panel3->text(), "Ready for training.");
}

TEST_F(MainWindow, QuitAnsweredNoLeavesTheWindowOpen) {
  win->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
  ask.answers = {Answer::No, Answer::No};
  win->action(M::Quit1)->trigger();
  EXPECT_TRUE(win->isVisible());
  win->close();  // the window's close box
  EXPECT_TRUE(win->isVisible());
  EXPECT_EQ(ask.questions, (std::vector<std::string>{"Quit Volmar?", "Quit Volmar?"}));
}

TEST_F(MainWindow, QuitAnsweredYesClosesTheWindowAndTheGraphView) {
  win->show();
  win->shell().showGraphView();
  ASSERT_TRUE(win->graphView()->isVisible());
  ask.answers = {Answer::Yes};
  win->close();
  EXPECT_FALSE(win->isVisible());
  EXPECT_FALSE(win->graphView()->isVisible());
  EXPECT_EQ(ask.questions.size(), 1u);

  TFMain other(*ws, ask);
  other.show();
  ask.answers = {Answer::Yes};
  other.action(M::Quit1)->trigger();
  EXPECT_FALSE(other.isVisible());
  EXPECT_EQ(ask.questions.size(), 2u);  // asked once, not again by the close
}

TEST_F(MainWindow, F1AnywhereInTheWindowOpensHelpTopic5) {
  win->show();
  win->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
  QTest::keyClick(win->ListBox1, Qt::Key_F1);
  QTest::keyClick(win->Chart1, Qt::Key_F1);
  EXPECT_EQ(ask.helpTopics, (std::vector<int>{5, 5}));
}

TEST_F(MainWindow, HelpInfoShowsItsNineLines) {
  win->action(M::Help1)->trigger();
  ASSERT_EQ(ask.messages.size(), 1u);
  EXPECT_EQ(ask.messages[0],
            "Press F1 for HELP!\r\nUsing Volmar correctly requires\r\n a decent amount of "
            "knowledge\r\n about vector quantization,\r\n adaptive k-means, and\r\n "
            "self-organizing maps.\r\n See the hints for context-\r\n specific help on "
            "parameters\r\n and options.");
}

TEST_F(MainWindow, AboutShowsTheAboutBox) {
  win->action(M::About1)->trigger();
  EXPECT_EQ(ask.aboutBoxes, 1);
}

TEST_F(MainWindow, ShowAdjacencyGraphOpensTheViewOnceEnabled) {
  win->action(M::Adjacencygraph1)->trigger();  // disabled: nothing happens
  EXPECT_FALSE(win->graphView()->isVisible());
  win->shell().enableMenu(M::Adjacencygraph1, true);
  win->action(M::Adjacencygraph1)->trigger();
  EXPECT_TRUE(win->graphView()->isVisible());
  EXPECT_EQ(win->graphView()->windowTitle(), "Connection (un)learning - Sammon projection in 2 dims");
}

TEST_F(MainWindow, EveryMenuItemAnswersWhenChosen) {
  // Each command item, enabled with its menus, is chosen once with every
  // question answered No or Cancel; it must show something: a message, a
  // question, a dialog, a line, a status text or a window.
  auto visibleWindows = [] {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += w->isVisible();
    return n;
  };
  for (const MenuEntry& e : menuTable()) {
    if (e.submenu) continue;
    SCOPED_TRACE(e.caption);
    for (MenuItem i = e.item; i != M::Count_; i = menuEntry(i).parent) win->action(i)->setEnabled(true);
    ask.answers.assign(4, Answer::No);
    ask.openFiles.assign(2, "");
    ask.saveFiles.assign(2, "");
    ask.printFiles.assign(1, "");
    const auto shown = [&] {
      return ask.messages.size() + ask.questions.size() + ask.openDialogsShown.size() +
             ask.saveDialogsShown.size() + ask.helpTopics.size() + static_cast<std::size_t>(ask.aboutBoxes) +
             static_cast<std::size_t>(ask.dataDialogsShown + ask.paramDialogsShown) +
             ask.prototypesTables.size() +
             static_cast<std::size_t>(ask.printDialogsShown + ask.printerSetups);
    };
    const std::size_t before = shown();
    const int lines = win->ListBox1->count();
    const QString status = win->Panel3->status();
    const int windows = visibleWindows();
    win->action(e.item)->trigger();
    const bool answered = shown() > before || win->ListBox1->count() != lines ||
                          win->Panel3->status() != status || visibleWindows() != windows;
    EXPECT_TRUE(answered) << "choosing it does nothing";
    // Every item has its command now: none may fall back to saying so.
    for (const std::string& m : ask.messages)
      EXPECT_EQ(m.find("is not available yet"), std::string::npos) << m;
  }
}

TEST_F(MainWindow, BarLabelsStayInsideThePlotAndApartUpToThirtyBars) {
  win->show();
  MainChart& chart = *win->Chart1;
  for (int n : {4, 10, 30}) {
    SCOPED_TRACE(n);
    chart.clearSeries(Series::Bars);
    chart.clearSeries(Series::Line);
    for (int i = 0; i < n; ++i) {
      chart.addPoint(Series::Bars, 1602126.4 - 37311.25 * i, QString::number(i + 1));
      chart.addPoint(Series::Line, 0.5, QString::number(i + 1));
    }
    QApplication::processEvents();
    if (const char* shots = std::getenv("VOLMAR_SCREENSHOTS"))
      win->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/bars-%1.png").arg(n));
    const QRectF plot = chart.plotArea().adjusted(-1, -1, 1, 1);
    for (int i = 0; i < n; ++i) {
      const QRectF r = chart.barLabelRect(i);
      EXPECT_TRUE(plot.contains(r)) << i << ": " << chart.barLabelText(i).toStdString();
      // Neighbours may share an edge, not more.
      EXPECT_TRUE(i == 0 || !r.adjusted(0.5, 0.5, -0.5, -0.5).intersects(chart.barLabelRect(i - 1))) << i;
      EXPECT_EQ(chart.barToolTip(i), QString::number(i + 1) + ": " + QString::number(1602126.4 - 37311.25 * i, 'g', 15));
    }
    EXPECT_TRUE(n != 4 || chart.barLabelText(0) == "1602126.4") << chart.barLabelText(0).toStdString();
    // The numbers of prototypes under the bars: whole (never elided), the
    // first and at least every fifth one, apart, under the plot and inside
    // the chart.
    QRectF previous;
    int shown = 0, lastShown = -1;
    for (int i = 0; i < n; ++i) {
      const QString text = chart.categoryLabelText(i);
      if (text.isEmpty()) continue;
      EXPECT_LE(i - lastShown, i == 0 ? 1 : 5) << i;
      lastShown = i;
      ++shown;
      EXPECT_EQ(text, QString::number(i + 1));
      const QRectF r = chart.categoryLabelRect(i);
      EXPECT_GE(r.top(), chart.plotArea().bottom()) << i;
      EXPECT_TRUE(QRectF(chart.rect()).contains(r)) << i;
      EXPECT_TRUE(previous.isNull() || r.left() > previous.right()) << i;
      previous = r;
    }
    EXPECT_LT(n - 1 - lastShown, 5);
    EXPECT_EQ(shown == n, n <= 10) << shown;
  }
}
