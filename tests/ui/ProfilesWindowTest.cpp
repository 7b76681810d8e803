// The segment profiles window: enabled once a run has given the data
// segments, laid out readably from 2 to 30 segments and 3 to 100
// variables, and its chart saved and printed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QHelpEvent>
#include <QToolTip>

#include "ScriptedPrompter.h"
#include "support/Pdf.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"
#include "ui/Main.h"
#include "ui/Param.h"
#include "ui/ProfilesWindow.h"
#include "ui/Unit2.h"

using namespace volmar;
using volmar::test::ScriptedPrompter;
using volmar::test::TempDir;
using M = MenuItem;

namespace {

// Pixels clearly darker than white.
long inkPixels(const QImage& image) {
  long n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 200) ++n;
  return n;
}

// A chart of S segments and V variables in 0..1, with names of every
// length up to one far too long for the label column.
ProfileChart syntheticChart(int S, int V) {
  ProfileChart c;
  SegmentProfiles& p = c.numbers;
  p.numSegments = S;
  p.numVars = V;
  p.numCases = 3000;
  for (int v = 1; v <= V; ++v) {
    const double mean = 0.2 + 0.6 * ((v * 37) % 100) / 100.0;
    p.variables.push_back({mean, 0.2, false, 0, 1});
    std::string name = "q" + std::to_string(v);
    if (v % 3 == 0) name += " how satisfied are you with the service of the airline overall";
    c.names.push_back(name);
    c.fileOrder.push_back(v);
    c.similarityOrder.insert(c.similarityOrder.begin(), v);
  }
  for (int s = 1; s <= S; ++s) {
    p.size.push_back(3000 / S);
    p.share.push_back(100.0 / S);
    for (int v = 1; v <= V; ++v) {
      p.prototype.push_back(((s * 53 + v * 29) % 100) / 100.0);
      p.caseMean.push_back(0.5);
      p.caseSd.push_back(0.1);
    }
  }
  return c;
}

bool overlap(const QRectF& a, const QRectF& b) { return a.intersected(b).width() > 0.5 && a.intersected(b).height() > 0.5; }

}  // namespace

TEST(ProfilesWindow, EnabledOnceATrainingRunHasGivenTheDataSegments) {
  auto ws = Workspace::create();
  ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(3));
  ScriptedPrompter ask;
  TFMain win(*ws, ask);
  EXPECT_FALSE(win.isReachable(M::Segmentprofiles1));
  EXPECT_FALSE(win.isReachable(M::Segmentdescription1));
  EXPECT_EQ(win.action(M::Segmentprofiles1)->text(), "Segment &profiles");
  EXPECT_EQ(win.action(M::Segmentdescription1)->text(), "Segment description...");
  ask.dataDialogs.push_back([](TBtnRightDlg& d) {
    d.Edit2->setText("4");
    d.OKBtn->click();
  });
  ask.openFiles.push_back(VOLMAR_SAMPLE_DATA_DIR "/iris.dat");
  win.action(M::Open1)->trigger();
  ask.paramDialogs.push_back([](TForm1& d) {
    d.edit(1)->setText("3");
    d.edit(2)->setText("3");
    d.edit(4)->setText("5");
    d.edit(8)->setText("1");
    d.Button1->click();
  });
  win.action(M::Parameterize1)->trigger();
  EXPECT_FALSE(win.isReachable(M::Segmentprofiles1));
  win.action(M::Run1)->trigger();
  ASSERT_TRUE(win.isReachable(M::Segmentprofiles1));
  ASSERT_TRUE(win.isReachable(M::Segmentdescription1));
  win.action(M::Segmentprofiles1)->trigger();
  win.action(M::Segmentprofiles1)->trigger();
  const auto windows = win.findChildren<TSegmentProfiles*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(windows.size(), 2u);
  TSegmentProfiles* w = windows[0];
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->isWindow());
  EXPECT_FALSE(w->isModal());
  EXPECT_EQ(w->windowTitle(), "Segment profiles");
  EXPECT_EQ(w->chart1()->layout().panels.size(), 3u);
  int cases = 0;
  for (int n : w->chart1()->chart().numbers.size) cases += n;
  EXPECT_EQ(cases, 150);
  // Thresholds chosen in the window are those the description follows.
  w->absoluteEdit()->setValue(0.5);
  w->relativeEdit()->setValue(20);
  EXPECT_EQ(win.context().profileThresholds.absolute, 0.5);
  EXPECT_EQ(win.context().profileThresholds.relative, 20);
  EXPECT_EQ(w->chart1()->chart().thresholds.absolute, 0.5);
  w->orderBox()->setCurrentIndex(1);
  EXPECT_TRUE(w->chart1()->chart().bySimilarity);
  // Other data: the segments held are not theirs.
  ask.dataDialogs.push_back([](TBtnRightDlg& d) {
    d.Edit2->setText("4");
    d.OKBtn->click();
  });
  ask.openFiles.push_back(VOLMAR_SAMPLE_DATA_DIR "/iris.dat");
  win.action(M::Open1)->trigger();
  EXPECT_FALSE(win.isReachable(M::Segmentprofiles1));
  EXPECT_FALSE(win.isReachable(M::Segmentdescription1));
}

// Every panel's texts inside it and apart from each other, panels apart,
// rows kept readable (the chart scrolls instead), no horizontal scrolling,
// names cut short in the middle with the whole name as a tool tip.
TEST(ProfilesWindow, PanelsStayReadableFromTwoToThirtySegmentsAndThreeToAHundredVariables) {
  volmar::test::ScriptedShell shell;
  const QString shots = qEnvironmentVariable("VOLMAR_PROFILE_SHOTS");
  for (const int S : {2, 7, 30})
    for (const int V : {3, 100}) {
      SCOPED_TRACE(std::to_string(S) + " segments, " + std::to_string(V) + " variables");
      MarkerThresholds chosen;
      TSegmentProfiles w(shell, chosen, syntheticChart(S, V));
      w.setAttribute(Qt::WA_DeleteOnClose, false);
      w.show();
      QApplication::processEvents();
      const ProfileChartWidget& c = *w.chart1();
      const ProfileLayout& L = c.layout();
      const QFontMetricsF fm(L.font);
      ASSERT_EQ(L.panels.size(), static_cast<std::size_t>(S));
      EXPECT_LE(c.width(), w.scrollBox()->viewport()->width());
      EXPECT_GE(L.rowHeight, fm.height());
      EXPECT_GE(L.columns, 2);
      for (const QRectF& t : L.legendTexts) EXPECT_TRUE(L.legend.contains(t));
      for (int s = 0; s < S; ++s) {
        const QRectF& panel = L.panels[static_cast<std::size_t>(s)];
        EXPECT_TRUE(QRectF(0, 0, c.width(), c.height()).contains(panel)) << s;
        EXPECT_FALSE(overlap(panel, L.legend)) << s;
        for (int t = s + 1; t < S; ++t) EXPECT_FALSE(overlap(panel, L.panels[static_cast<std::size_t>(t)])) << s << " " << t;
        const QRectF& title = L.titles[static_cast<std::size_t>(s)];
        EXPECT_TRUE(panel.contains(title));
        EXPECT_LE(fm.horizontalAdvance(L.titleTexts[static_cast<std::size_t>(s)]), title.width() + 0.5);
        EXPECT_FALSE(L.titleTexts[static_cast<std::size_t>(s)].contains(QChar(0x2026))) << "title cut short";
        EXPECT_TRUE(panel.contains(L.axisTexts[static_cast<std::size_t>(s)]));
        const auto& labels = L.labels[static_cast<std::size_t>(s)];
        const auto& bars = L.bars[static_cast<std::size_t>(s)];
        ASSERT_EQ(labels.size(), static_cast<std::size_t>(V));
        for (int i = 0; i < V; ++i) {
          const QRectF& label = labels[static_cast<std::size_t>(i)];
          EXPECT_TRUE(panel.contains(label)) << s << " " << i;
          EXPECT_TRUE(panel.contains(bars[static_cast<std::size_t>(i)])) << s << " " << i;
          EXPECT_FALSE(overlap(label, bars[static_cast<std::size_t>(i)]));
          EXPECT_FALSE(overlap(label, title));
          EXPECT_LE(fm.horizontalAdvance(L.labelTexts[static_cast<std::size_t>(i)]), label.width());
          if (i > 0) {
            EXPECT_FALSE(overlap(label, labels[static_cast<std::size_t>(i - 1)]));
          }
        }
      }
      // Long names are cut in the middle: both ends stay.
      if (V >= 3) {
        const QString& cut = L.labelTexts[2];
        EXPECT_TRUE(cut.startsWith("q3 ")) << cut.toStdString();
        EXPECT_TRUE(cut.endsWith("ll")) << cut.toStdString();
        EXPECT_TRUE(cut.contains(QChar(0x2026)));
        EXPECT_EQ(L.fullNames[2].toStdString(), "q3 how satisfied are you with the service of the airline overall");
        // Resting on the name shows it whole.
        const QPoint at = L.labels[0][2].center().toPoint();
        QHelpEvent help(QEvent::ToolTip, at, w.chart1()->mapToGlobal(at));
        QApplication::sendEvent(w.chart1(), &help);
        EXPECT_EQ(QToolTip::text(), L.fullNames[2]);
      }
      // A hundred variables: the chart scrolls rather than squeezing rows.
      if (V == 100) {
        EXPECT_GT(c.height(), w.scrollBox()->viewport()->height());
        EXPECT_GT(w.scrollBox()->verticalScrollBar()->maximum(), 0);
      }
      if (!shots.isEmpty())
        w.grab().save(shots + QStringLiteral("/profiles-%1x%2.png").arg(S).arg(V));
      // The order choice puts the variables in the same order in every panel.
      w.orderBox()->setCurrentIndex(1);
      EXPECT_EQ(c.layout().fullNames.front().toStdString(), syntheticChart(S, V).names.back());
    }
}

TEST(ProfilesWindow, TheChartIsSavedAsPngSvgAndPdfAndPrinted) {
  volmar::test::ScriptedShell shell;
  TempDir dir;
  MarkerThresholds chosen;
  TSegmentProfiles w(shell, chosen, syntheticChart(4, 12));
  w.setAttribute(Qt::WA_DeleteOnClose, false);
  w.show();
  QApplication::processEvents();
  for (const char* name : {"chart.png", "chart.svg", "chart.pdf"}) shell.saveFiles.push_back(dir.file(name));
  for (int i = 0; i < 3; ++i) w.savechart1()->trigger();
  ASSERT_EQ(shell.messages, (std::vector<std::string>(3, "Chart file written.")));
  const QImage png(QString::fromStdString(dir.file("chart.png")), "PNG");
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.width(), 1200);
  EXPECT_GT(inkPixels(png), 5000);
  QSvgRenderer svg(QString::fromStdString(dir.file("chart.svg")));
  ASSERT_TRUE(svg.isValid());
  QImage drawn(svg.defaultSize(), QImage::Format_RGB32);
  drawn.fill(Qt::white);
  {
    QPainter painter(&drawn);
    svg.render(&painter);
  }
  EXPECT_EQ(svg.viewBox().size(), png.size());
  EXPECT_GT(inkPixels(drawn), 5000);
  EXPECT_GT(volmar::test::pdfInkPixels(dir.file("chart.pdf"), 1), 500);

  const std::string printed = dir.file("printed.pdf");
  w.printDialog = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(printed));
    return true;
  };
  w.printchart1()->trigger();
  EXPECT_EQ(shell.messages.back(), "Chart sent to printer.");
  EXPECT_EQ(volmar::test::pdfPageCount(printed), 1);
  EXPECT_GT(volmar::test::pdfInkPixels(printed, 1), 100);
  if (const QString shots = qEnvironmentVariable("VOLMAR_PROFILE_SHOTS"); !shots.isEmpty())
    QFile::copy(QString::fromStdString(printed), shots + QStringLiteral("/printed.pdf"));
  // The user guide inside the program shows its picture of the chart.
  EXPECT_TRUE(QFile::exists(QStringLiteral(":/guide/profiles.html")));
  EXPECT_TRUE(QFile::exists(QStringLiteral(":/guide/profiles.png")));
}
