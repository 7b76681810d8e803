#include "ui/QtShell.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QListWidget>
#include <QPrinter>
#include <QScreen>
#include <algorithm>

#include "ui/MainChart.h"
#include "ui/Printing.h"
#include "ui/Prompter.h"
#include "ui/StatusLine.h"
#include "ui/Unit10.h"
#include "ui/Unit5.h"
#include "ui/Unit6.h"
#include "ui/Unit8.h"

namespace volmar {

QString qtNameFilter(const std::string& filter) {
  const QString f = QString::fromStdString(filter);
  const qsizetype bar = f.indexOf(QLatin1Char('|'));
  const QString description = bar < 0 ? f : f.left(bar);
  QString patterns = bar < 0 ? QStringLiteral("*") : f.mid(bar + 1);
  QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (QString& p : list) {
    p = p.trimmed();
    if (p == QLatin1String("*.*")) p = QStringLiteral("*");
  }
  if (list.isEmpty()) list << QStringLiteral("*");
  return description + QStringLiteral(" (") + list.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QStringList qtNameFilters(const FileDialog& dialog) {
  QStringList out;
  for (const std::string& f : dialog.filters) out << qtNameFilter(f);
  return out;
}

QtShell::QtShell(Workspace& ws, Controls controls, Prompter& prompter)
    : ws_(ws), c_(controls), prompter_(prompter) {
  createGraphView();
}

QtShell::~QtShell() = default;

void QtShell::letPaintThrough() {
  ++repaintPoints_;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtShell::appendLine(const std::string& line) {
  c_.list->addItem(QString::fromStdString(line));
}

void QtShell::selectLastLine() {
  const int last = c_.list->count() - 1;
  if (last < 0) return;
  c_.list->setCurrentRow(last);
  c_.list->scrollToItem(c_.list->item(last));
  letPaintThrough();
}

void QtShell::clearLines() { c_.list->clear(); }

void QtShell::repaintList() {
  c_.list->viewport()->update();
  letPaintThrough();
}

void QtShell::setStatus(const std::string& text) {
  // Training sets the same text at every presentation: only a new text costs.
  const QString t = QString::fromStdString(text);
  if (t == c_.status->status()) return;
  c_.status->setStatus(t);
  c_.status->repaint();
  letPaintThrough();
}

void QtShell::message(const std::string& text) { prompter_.message(c_.window, text); }
Answer QtShell::askYesNo(const std::string& text) { return prompter_.askYesNo(c_.window, text); }
Answer QtShell::askYesNoCancel(const std::string& text) {
  return prompter_.askYesNoCancel(c_.window, text);
}
std::string QtShell::inputBox(const std::string& caption, const std::string& prompt,
                              const std::string& defaultText) {
  return prompter_.inputBox(c_.window, caption, prompt, defaultText);
}
bool QtShell::executeOpenDialog(FileDialog& dialog) { return prompter_.openFile(c_.window, dialog); }
bool QtShell::executeSaveDialog(FileDialog& dialog) { return prompter_.saveFile(c_.window, dialog); }
bool QtShell::showDataMatrixDialog(DataMatrixDialog& dialog) {
  return prompter_.dataMatrixDialog(c_.window, dialog);
}
void QtShell::showParamDialog(ParamDialog& dialog) { prompter_.paramDialog(c_.window, dialog); }

void QtShell::setChartTitle(const std::string& text) {
  c_.chart->setTitleLine(QString::fromStdString(text));
}
void QtShell::setChartFoot(const std::string& text) {
  c_.chart->setFootLine(QString::fromStdString(text));
}
void QtShell::clearSeries(Series s) { c_.chart->clearSeries(s); }
void QtShell::addPoint(Series s, double value, const std::string& label) {
  c_.chart->addPoint(s, value, QString::fromStdString(label));
}
void QtShell::setPointValue(Series s, int position, double value) {
  c_.chart->setPointValue(s, position, value);
}
void QtShell::setLeftAxis(double minimum, double maximum) { c_.chart->setLeftAxis(minimum, maximum); }

void QtShell::refreshChart() {
  c_.chart->viewport()->update();
  // Series changes are laid out by posted events, which post the repaint.
  letPaintThrough();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// A new view opens where the last one stood, or beside the main window: to
// its right where the screen has room, else over its right part below the
// menu, never off the screen.
void QtShell::createGraphView() {
  if (graph_ && graph_->isVisible()) graphPlace_ = QRect(graph_->pos(), graph_->size());
  graph_.reset();
  graph_ = std::make_unique<TForm5>(ws_, c_.window);
  if (!graphPlace_.isNull()) {
    graph_->resize(graphPlace_.size());
    graph_->move(graphPlace_.topLeft());
    return;
  }
  if (!c_.window) return;
  const QRect main = c_.window->frameGeometry();
  const QScreen* screen = c_.window->screen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
  const QSize size = graph_->size();
  QPoint at(main.right() + 8, main.top());
  if (at.x() + size.width() > avail.right()) at = QPoint(main.right() - size.width(), main.top() + 80);
  at.setX(std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() - size.width())));
  at.setY(std::clamp(at.y(), avail.top(), std::max(avail.top(), avail.bottom() - size.height())));
  graph_->move(at);
}

void QtShell::showGraphView() {
  graph_->showAndRepaint();
  letPaintThrough();
}

void QtShell::enableMenu(MenuItem item, bool enabled) {
  if (QAction* a = c_.actions[static_cast<std::size_t>(item)]) a->setEnabled(enabled);
}

void QtShell::setBusyCursor(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  else
    QApplication::restoreOverrideCursor();
}

void QtShell::beep() { QApplication::beep(); }

void QtShell::openHelp(int topic) { prompter_.openHelp(c_.window, topic); }

// The analysis windows belong to the main window (so that they go with it)
// but stand on their own, and free themselves when closed.
void QtShell::showBlocksTable(const GridCells& cells) { (new TBSPrTable(cells, c_.window))->show(); }
void QtShell::showPairTable(const GridCells& cells) { (new TForm8(cells, c_.window))->show(); }
void QtShell::showBubbleChart(const BubbleChart& chart) { (new TForm10(*this, chart, c_.window))->show(); }
void QtShell::showPrototypesTable(const GridCells& cells) { prompter_.prototypesTable(c_.window, cells); }
QPrinter& QtShell::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>();
  return *printer_;
}

void QtShell::executePrinterSetupDialog() { prompter_.printerSetupDialog(c_.window, printer()); }

bool QtShell::executePrintDialog() { return prompter_.printDialog(c_.window, printer()); }

std::vector<std::string> QtShell::listLines() {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(c_.list->count()));
  for (int i = 0; i < c_.list->count(); ++i) lines.push_back(c_.list->item(i)->text().toStdString());
  return lines;
}

void QtShell::printJob(const std::function<void(PrintCanvas&)>& draw) {
  printPages(printer(), printFontFor(c_.list->font()), draw);
}

void QtShell::printChart() { printChartView(*c_.chart, printer()); }

void QtShell::printGraphView() { printWidgetPicture(*graph_, printer()); }

void QtShell::hideGraphView() { graph_->hide(); }

void QtShell::keepResponsive() { letPaintThrough(); }

}  // namespace volmar
