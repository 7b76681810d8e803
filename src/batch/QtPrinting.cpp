#include "batch/QtPrinting.h"

#include <QCoreApplication>
#include <QFile>
#include <QPageSize>
#include <QPrinter>

#include "batch/QtRuntime.h"
#include "ui/MainChart.h"
#include "ui/Printing.h"
#include "ui/Unit5.h"

namespace volmar::batch {

namespace {

// The main window's chart and graph view at their sizes when the program
// starts.
constexpr int ChartWidth = 383;
constexpr int ChartHeight = 468;

// A printer that writes the PDF file, as the print dialog's "print to file"
// would set it up; the file itself is written under its name as bytes.
PdfFile setUpPdf(QPrinter& printer, const std::string& file, bool mayReplace) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setDocName(QStringLiteral("Volmar"));
  printer.setOutputFileName(QFile::decodeName(QByteArray::fromStdString(file)));
  return PdfFile{file, mayReplace};
}

// Lets the widgets lay themselves out before they are drawn.
void settle() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

}  // namespace

void printJobToPdf(const std::string& file, bool mayReplace, const std::function<void(PrintCanvas&)>& draw) {
  ensureQtApplication();
  QPrinter printer;
  const PdfFile pdf = setUpPdf(printer, file, mayReplace);
  printPages(printer, printFontFor(outputListFont()), draw, pdf);
}

void printChartToPdf(const std::string& file, bool mayReplace, const ChartContents& contents) {
  ensureQtApplication();
  MainChart chart;
  chart.setAttribute(Qt::WA_DontShowOnScreen);
  chart.resize(ChartWidth, ChartHeight);
  chart.setTitleLine(QString::fromStdString(contents.title));
  chart.setFootLine(QString::fromStdString(contents.foot));
  for (const auto& p : contents.bars) chart.addPoint(Series::Bars, p.value, QString::fromStdString(p.label));
  for (const auto& p : contents.line) chart.addPoint(Series::Line, p.value, QString::fromStdString(p.label));
  if (contents.leftAxis) chart.setLeftAxis(contents.leftAxis->first, contents.leftAxis->second);
  chart.show();
  settle();
  QPrinter printer;
  const PdfFile pdf = setUpPdf(printer, file, mayReplace);
  printChartView(chart, printer, ChartMargins{}, pdf);
}

void printGraphToPdf(const std::string& file, bool mayReplace, const Workspace& ws) {
  ensureQtApplication();
  TForm5 view(ws);
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.showAndRepaint();
  settle();
  QPrinter printer;
  const PdfFile pdf = setUpPdf(printer, file, mayReplace);
  printWidgetPicture(view, printer, pdf);
  view.hide();
}

}  // namespace volmar::batch
