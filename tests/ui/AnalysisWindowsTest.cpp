// The analysis windows opened from the real main window after a training
// run on three-way data: the blocks table, the pair table, the bubble chart
// with its save and print commands, and the modal prototypes table.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QCheckBox>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScriptedPrompter.h"
#include "commands/BlockTables.h"
#include "commands/PrototypesTable.h"
#include "core/Workspace.h"
#include "support/FileSizeLimit.h"
#include "support/Pdf.h"
#include "support/TempDir.h"
#include "ui/Main.h"
#include "ui/Param.h"
#include "ui/StringGrid.h"
#include "ui/Unit10.h"
#include "ui/Unit2.h"
#include "ui/Unit4.h"
#include "ui/Unit6.h"
#include "ui/Unit8.h"

using namespace volmar;
using volmar::test::ScriptedPrompter;
using volmar::test::TempDir;
using M = MenuItem;

namespace {

// The shipped airlines sample: 6 airlines judged in 15 yearly blocks,
// case first; its magnitudes need the Tanimoto distance.
class AnalysisWindows : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedPrompter ask;
  std::unique_ptr<TFMain> win = std::make_unique<TFMain>(*ws, ask);
  TempDir dir;

  void SetUp() override {
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(5));
    ask.dataDialogs.push_back([](TBtnRightDlg& d) {
      d.Edit1->setText("90");
      d.Edit2->setText("4");
      d.kblock->click();
      d.bssize->setText("15");
      d.OKBtn->click();
    });
    ask.openFiles.push_back(VOLMAR_SAMPLE_DATA_DIR "/airlines-6x15.dat");
    win->action(M::Open1)->trigger();
    ask.paramDialogs.push_back([](TForm1& d) {
      d.edit(1)->setText("4");
      d.edit(2)->setText("4");
      d.edit(4)->setText("20");
      d.edit(8)->setText("1");
      d.RadioButton1->click();
      d.CheckBox1->setChecked(true);
      d.Button1->click();
    });
    win->action(M::Parameterize1)->trigger();
    win->action(M::Run1)->trigger();
    ASSERT_TRUE(win->isReachable(M::BlockssamplesxPrototypescontingencytable1));
  }

  template <typename W>
  std::vector<W*> windows() const {
    std::vector<W*> out;
    for (W* w : win->findChildren<W*>(Qt::FindDirectChildrenOnly)) out.push_back(w);
    return out;
  }

  static GridCells cellsOf(const StringGrid& g) {
    GridCells cells(static_cast<std::size_t>(g.gridRowCount()));
    for (int r = 0; r < g.gridRowCount(); ++r)
      for (int c = 0; c < g.gridColCount(); ++c) cells[static_cast<std::size_t>(r)].push_back(g.cell(c, r).toStdString());
    return cells;
  }
};

}  // namespace

TEST_F(AnalysisWindows, TheBlocksAndPairTablesAreSnapshotsInWindowsOfTheirOwn) {
  EXPECT_FALSE(win->isReachable(M::BlockssamplesxPrototypestable1));
  win->action(M::BlockssamplesxPrototypescontingencytable1)->trigger();
  EXPECT_EQ(ask.messages.back(), "Ready to show Block(samples) x Prototypes table.");
  ASSERT_TRUE(win->isReachable(M::BlockssamplesxPrototypestable1));
  win->action(M::BlockssamplesxPrototypestable1)->trigger();
  win->action(M::BlockssamplesxPrototypestable1)->trigger();
  const auto tables = windows<TBSPrTable>();
  ASSERT_EQ(tables.size(), 2u);
  TBSPrTable* t = tables[0];
  EXPECT_TRUE(t->isVisible());
  EXPECT_TRUE(t->isWindow());
  EXPECT_EQ(t->windowTitle(), "Blocks (samples) x Prototypes table [rel cell frequ]");
  EXPECT_EQ(cellsOf(*t->stringGrid1()), blocksTableCells(*ws));
  EXPECT_EQ(t->stringGrid1()->gridRowCount(), 17);  // 15 blocks and the margins
  EXPECT_EQ(t->stringGrid1()->cell(0, 0), "type#:");
  EXPECT_EQ(t->stringGrid1()->cell(5, 16), "90");
  EXPECT_EQ(t->stringGrid1()->toolTip(), "values are cell pct");
  // The grid follows the window's size.
  t->resize(600, 300);
  QApplication::processEvents();
  EXPECT_EQ(t->stringGrid1()->size(), t->size());

  // A pair opens a pair table after the similarity message.
  ASSERT_TRUE(win->isReachable(M::absfrequencies1));
  ask.inputs.push_back(" 1 & 15 ");
  win->action(M::absfrequencies1)->trigger();
  ASSERT_EQ(windows<TForm8>().size(), 1u);
  TForm8* pair = windows<TForm8>()[0];
  EXPECT_EQ(pair->windowTitle(), "Crosstable for pair of blocks");
  EXPECT_EQ(pair->stringGrid1()->cell(0, 0), "1 & 15");
  EXPECT_EQ(cellsOf(*pair->stringGrid1()), pairTableCells(*ws));
  EXPECT_EQ(ask.messages.back().rfind("Similarity Coeff for b1 and b15 = ", 0), 0u) << ask.messages.back();
  EXPECT_TRUE(win->isReachable(M::Frequencyofprototypesforpairofblocks1));
  ask.inputs.push_back("2&3");
  win->action(M::standardizeddeviations1)->trigger();
  win->action(M::Frequencyofprototypesforpairofblocks1)->trigger();
  const auto pairs = windows<TForm8>();
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[2]->stringGrid1()->cell(5, 0), "row probs");
  // Earlier windows keep what they were made with.
  EXPECT_EQ(pairs[0]->stringGrid1()->cell(0, 0), "1 & 15");
  EXPECT_EQ(pairs[0]->stringGrid1()->cell(5, 0), "rowcount");
  pairs[0]->close();
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(windows<TForm8>().size(), 2u);
}

TEST_F(AnalysisWindows, TheBubbleChartIsDrawnSavedAsABitmapAndPrinted) {
  win->action(M::BlockssamplesxPrototypescontingencytable1)->trigger();
  ASSERT_TRUE(win->isReachable(M::Adjgraphforselectedblockssamples1));
  ask.inputs = {"3", "2"};
  win->action(M::Adjgraphforselectedblockssamples1)->trigger();
  ASSERT_EQ(windows<TForm10>().size(), 1u);
  TForm10* form = windows<TForm10>()[0];
  EXPECT_EQ(form->windowTitle(), "Frequency of prototypes for selected block");
  ASSERT_EQ(form->chart1()->bubbles().bubbles.size(), 100u);
  EXPECT_EQ(form->chart1()->bubbles().title, "Frequencies of prototypes for block (sample) # 3");
  // Every labelled bubble lies inside the chart.
  QApplication::processEvents();
  int labels = 0;
  for (int i = 0; i < 100; ++i) {
    if (form->chart1()->bubbles().bubbles[static_cast<std::size_t>(i)].label.empty()) continue;
    ++labels;
    EXPECT_TRUE(form->chart1()->rect().contains(form->chart1()->centre(i).toPoint())) << i;
  }
  EXPECT_GE(labels, 1);

  // Save chart: a bitmap of the chart's size; the second save asks first.
  const std::string bmp = dir.file("chart.bmp");
  ask.saveFiles.push_back(bmp);
  form->savechart1()->trigger();
  EXPECT_EQ(ask.messages.back(), "Chart file written.");
  QImage image(QString::fromStdString(bmp), "BMP");
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), form->chart1()->size());
  ask.saveFiles.push_back(bmp);
  ask.answers.push_back(Answer::Cancel);
  const std::size_t asked = ask.questions.size();
  form->savechart1()->trigger();
  ASSERT_EQ(ask.questions.size(), asked + 1);
  EXPECT_EQ(ask.questions.back().rfind("Replace ", 0), 0u);

  // Print chart, to a PDF file in place of a printer.
  const std::string pdf = dir.file("chart.pdf");
  form->printDialog = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return true;
  };
  form->printchart1()->trigger();
  EXPECT_EQ(ask.messages.back(), "Chart sent to printer.");
  std::ifstream in(pdf, std::ios::binary);
  std::string head(4, '\0');
  in.read(head.data(), 4);
  EXPECT_EQ(head, "%PDF");
  EXPECT_GT(volmar::test::pdfInkPixels(pdf, 1), 50);
}

// Block 2 of the airlines sample holds bubbles of a sixth of a map step
// beside larger ones: on the rendered chart every bubble of positive radius
// shows its own colour over most of its area (no label box hides it), and
// every label stands in the chart.
TEST_F(AnalysisWindows, EveryBubbleWithARadiusStaysVisibleBesideTheLabels) {
  win->action(M::BlockssamplesxPrototypescontingencytable1)->trigger();
  for (const char* factor : {"1", "0.5", "2"}) {
    SCOPED_TRACE(factor);
    ask.inputs = {"2", factor};
    const std::size_t open = windows<TForm10>().size();
    win->action(M::Adjgraphforselectedblockssamples1)->trigger();
    ASSERT_EQ(windows<TForm10>().size(), open + 1);
    TForm10* form = windows<TForm10>().back();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    QApplication::processEvents();
    BubbleChartView* view = form->chart1();
    const QImage shot = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    const double ratio = shot.devicePixelRatio();
    int small = 0, checked = 0;
    for (int i = 0; i < 100; ++i) {
      const Bubble& b = view->bubbles().bubbles[static_cast<std::size_t>(i)];
      if (!b.label.empty()) {
        EXPECT_TRUE(view->rect().contains(view->labelRect(i).toRect())) << b.label;
      }
      if (!(b.radius > 0)) continue;
      const QColor colour = BubbleChartView::pointColour(i);
      // The fill is drawn with alpha 200 over a white plot.
      const auto blend = [](int c) { return (c * 200 + 255 * 55) / 255; };
      const int er = blend(colour.red()), eg = blend(colour.green()), eb = blend(colour.blue());
      if (er > 240 && eg > 240 && eb > 240) continue;  // a white bubble on white: nothing to tell
      const QPointF c = view->centre(i);
      const double r = view->pixelRadius(i);
      if (r > shot.width()) continue;  // covers the whole chart
      // The inner disc, clear of the outline, within the picture.
      const double inner = std::max(1.0, r - 1.5);
      int inside = 0, own = 0;
      for (int y = static_cast<int>(c.y() - inner); y <= static_cast<int>(c.y() + inner); ++y)
        for (int x = static_cast<int>(c.x() - inner); x <= static_cast<int>(c.x() + inner); ++x) {
          if (std::hypot(x + 0.5 - c.x(), y + 0.5 - c.y()) > inner) continue;
          const QPoint px(static_cast<int>(x * ratio), static_cast<int>(y * ratio));
          if (!shot.rect().contains(px)) continue;
          ++inside;
          const QColor got = shot.pixelColor(px);
          if (std::abs(got.red() - er) < 40 && std::abs(got.green() - eg) < 40 && std::abs(got.blue() - eb) < 40)
            ++own;
        }
      ++checked;
      small += r < 12;
      // The bubbles of a sixth of a step have a few dozen pixels: most
      // of them must show the bubble's colour.
      EXPECT_GE(own * 10, inside * 4) << "bubble " << i << " (" << b.label << ", radius " << b.radius
                                      << ", " << r << " px): " << own << " of " << inside << " pixels";
    }
    EXPECT_GE(checked, 2);
    if (std::string(factor) == "1") {
      EXPECT_GE(small, 2) << "the sample has no small bubbles any more";
    }
    form->close();
  }
}

// The bubble window's bitmap and PDF on a disk that fills up while they are
// written (a file-size limit): the good files stay byte for byte, the
// message names the file, no temporary file is left.
TEST_F(AnalysisWindows, TheBubbleChartsFailedSaveAndPrintLeaveTheOldFilesAsTheyWere) {
  win->action(M::BlockssamplesxPrototypescontingencytable1)->trigger();
  ask.inputs = {"3", "2"};
  win->action(M::Adjgraphforselectedblockssamples1)->trigger();
  ASSERT_EQ(windows<TForm10>().size(), 1u);
  TForm10* form = windows<TForm10>()[0];
  QApplication::processEvents();
  const std::string bmp = dir.write("chart.bmp", "BM the old picture");
  const std::string pdf = dir.write("chart.pdf", "%PDF-1.4 the old file\n");
  form->printDialog = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return true;
  };
  const struct {
    QAction* action;
    std::string file, firstLine;
  } rows[] = {
      {form->savechart1(), bmp, "Could not write to file.\r\n"},
      {form->printchart1(), pdf, "Printing failed.\r\n"},
  };
  const std::string oldBmp = volmar::test::readFile(bmp), oldPdf = volmar::test::readFile(pdf);
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file);
    ask.saveFiles.push_back(bmp);
    ask.answers.push_back(Answer::Yes);
    const std::size_t shown = ask.messages.size();
    {
      volmar::test::FileSizeLimit limit(1024);
      r.action->trigger();
    }
    ASSERT_EQ(ask.messages.size(), shown + 1);
    EXPECT_EQ(ask.messages.back().rfind(r.firstLine + "Cannot write file \"" + r.file + "\": ", 0), 0u)
        << ask.messages.back();
    ask.saveFiles.clear();
    ask.answers.clear();
  }
  EXPECT_EQ(volmar::test::readFile(bmp), oldBmp);
  EXPECT_EQ(volmar::test::readFile(pdf), oldPdf);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST_F(AnalysisWindows, ThePrototypesTableIsModalAndTheMainWindowWaits) {
  win->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
  ASSERT_TRUE(win->isReachable(M::Prototypes1));
  bool looked = false;
  ask.prototypesTableScripts.push_back([&](TPrTable& table) {
    looked = true;
    EXPECT_EQ(QApplication::activeModalWidget(), &table);
    EXPECT_EQ(table.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(table.windowTitle(), "Prototypes table");
    EXPECT_EQ(cellsOf(*table.stringGrid1()), prototypesTableCells(*ws));
    EXPECT_EQ(table.stringGrid1()->cell(0, 4), "type 4");
    EXPECT_EQ(table.stringGrid1()->toolTip(), "click X to proceed");
    // A click on the main window's menu bar opens no menu.
    QMenuBar* bar = win->menuBar();
    const QPoint file = bar->actionGeometry(bar->actions().value(0)).center();
    QTest::mouseClick(win->windowHandle(), Qt::LeftButton, {}, bar->mapTo(win.get(), file));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  });
  win->action(M::Prototypes1)->trigger();
  EXPECT_TRUE(looked);
  ASSERT_EQ(ask.prototypesTables.size(), 1u);
  EXPECT_EQ(ask.prototypesTables[0].size(), 5u);  // header and four prototypes
  // Closed and gone: the main window is usable again.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(win->findChildren<TPrTable*>().isEmpty());
}
