#include "ui/QtShell.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QListWidget>
#include <QPrinter>
#include <QScreen>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "ui/MainChart.h"
#include "ui/OutputListDelegate.h"
#include "ui/Printing.h"
#include "ui/Prompter.h"
#include "ui/StabilityWindow.h"
#include "ui/StatusLine.h"
#include "ui/Unit10.h"
#include "ui/ProfilesWindow.h"
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

// While a command runs: drops mouse and key input meant for the program's
// windows (the menu, the chart, the graph view), lets through what goes to
// a dialog the command or a close request opened and to the output list, and
// turns the graph view's close request into the program's.
class QtShell::InputGuard : public QObject {
 public:
  explicit InputGuard(QtShell& shell) : shell_(shell) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Close && shell_.graph_ && watched == shell_.graph_.get() &&
        shell_.closeDuringCommand_) {
      e->ignore();
      // Asked after this event has been handled, not inside it.
      QMetaObject::invokeMethod(this, [this] { if (shell_.closeDuringCommand_) shell_.closeDuringCommand_(); },
                                Qt::QueuedConnection);
      return true;
    }
    if (!isInput(e->type())) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return e->type() == QEvent::Shortcut;  // actions of the menu
    if (QWidget* modal = QApplication::activeModalWidget())
      return !(w == modal || modal->isAncestorOf(w));
    if (QApplication::activePopupWidget()) return false;
    if (shell_.stop_ && w == shell_.stop_) return false;  // the running command's own Stop button
    return !(w == shell_.c_.list || (shell_.c_.list && shell_.c_.list->isAncestorOf(w)));
  }

 private:
  static bool isInput(QEvent::Type t) {
    switch (t) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TabletPress:
      case QEvent::TabletRelease:
        return true;
      default:
        return false;
    }
  }

  QtShell& shell_;
};

QtShell::QtShell(Workspace& ws, Controls controls, Prompter& prompter)
    : ws_(ws), c_(controls), prompter_(prompter) {
  createGraphView();
}

QtShell::~QtShell() = default;

void QtShell::beginCommand() {
  if (commandRunning_) return;
  commandRunning_ = true;
  guard_ = std::make_unique<InputGuard>(*this);
  QCoreApplication::instance()->installEventFilter(guard_.get());
}

void QtShell::endCommand() {
  commandRunning_ = false;
  guard_.reset();  // removes the filter
}

void QtShell::letPaintThrough() {
  ++repaintPoints_;
  processPending();
}

void QtShell::processPending() {
  // Without the guard the person's input has to wait for the command.
  QCoreApplication::processEvents(guard_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

void QtShell::appendLine(const std::string& line) {
  const QString text = QString::fromStdString(line);
  c_.list->addItem(text);
  if (auto* d = dynamic_cast<OutputListDelegate*>(c_.list->itemDelegate()); d && d->noteLine(text, c_.list->font()))
    c_.list->doItemsLayout();  // lines of one height are laid out from the first
}

void QtShell::selectLastLine() {
  const int last = c_.list->count() - 1;
  if (last < 0) return;
  c_.list->setCurrentRow(last);
  c_.list->scrollToItem(c_.list->item(last));
  letPaintThrough();
}

void QtShell::clearLines() {
  c_.list->clear();
  if (auto* d = dynamic_cast<OutputListDelegate*>(c_.list->itemDelegate())) d->clearLines();
}

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
  processPending();
}

// A new view opens where the person last had one in this session. The
// first opens beside the main window where the screen has room (right,
// then left, then below), else over the output list below the menu bar:
// never over the chart while it can be helped, never off the screen.
void QtShell::createGraphView() {
  if (graph_ && (graphShown_ || graph_->isVisible())) graphPlace_ = QRect(graph_->pos(), graph_->size());
  graph_.reset();
  graph_ = std::make_unique<TForm5>(ws_, c_.window);
  graphShown_ = false;
  if (!graphPlace_.isNull()) {
    graph_->resize(graphPlace_.size());
    graph_->move(graphPlace_.topLeft());
    return;
  }
  placeGraphView();
}

void QtShell::placeGraphView() {
  if (!c_.window) return;
  const QRect main = c_.window->frameGeometry();
  const QScreen* screen = c_.window->screen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
  // The frame the window manager adds around the client area.
  const QSize frame = c_.window->frameGeometry().size() - c_.window->geometry().size();
  const QSize size = graph_->size() + frame;
  const int gap = 8;
  const QRect candidates[] = {
      QRect(QPoint(main.right() + 1 + gap, main.top()), size),
      QRect(QPoint(main.left() - gap - size.width(), main.top()), size),
      QRect(QPoint(main.left(), main.bottom() + 1 + gap), size),
  };
  for (const QRect& r : candidates)
    if (avail.contains(r)) {
      graph_->move(r.topLeft());
      return;
    }
  // Over the output list, below the menu bar and the list's caption, made
  // narrower where the list is (the picture scales with the view), but not
  // below a size that still shows a graph.
  QPoint at = c_.list ? c_.list->mapToGlobal(QPoint(0, 0)) : main.topLeft();
  at -= QPoint(frame.width() / 2, frame.height() - frame.width() / 2);
  at.setX(std::max(at.x(), avail.left()));
  if (c_.chart) {
    const int room = c_.chart->mapToGlobal(QPoint(0, 0)).x() - gap / 2 - at.x();
    const int width = std::min(size.width(), room) - frame.width();
    if (width >= 240 && width < graph_->width()) graph_->resize(width, graph_->height());
  }
  const QSize outer = graph_->size() + frame;
  at.setX(std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - outer.width())));
  at.setY(std::clamp(at.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - outer.height())));
  graph_->move(at);
}

void QtShell::showGraphView() {
  graphShown_ = true;
  graph_->showAndRepaint();
  letPaintThrough();
}

void QtShell::bringGraphViewToFront() {
  showGraphView();
  graph_->raise();
  graph_->activateWindow();
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
void QtShell::showSegmentProfiles(const ProfileChart& chart, MarkerThresholds& chosen) {
  (new TSegmentProfiles(*this, chosen, chart, c_.window))->show();
}
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

// Stability by bootstrap.
bool QtShell::showStabilityDialog(StabilityDialog& dialog) { return prompter_.stabilityDialog(c_.window, dialog); }

void QtShell::showStabilityChart(const StabilityChart& chart) {
  (new StabilityWindow(*this, chart, c_.window))->show();
}

void QtShell::showProgress(int done, int total, double secondsLeft) {
  if (!progress_) {
    progress_ = new QProgressBar(c_.status);
    progress_->setObjectName(QStringLiteral("StabilityProgress"));
    stop_ = new QPushButton(QStringLiteral("Stop"), c_.status);
    stop_->setObjectName(QStringLiteral("StopButton"));
    QObject::connect(stop_, &QPushButton::clicked, stop_, [this] {
      if (stopRequest_) stopRequest_();
      stop_->setEnabled(false);
    });
  }
  const int h = c_.status->height();
  const int buttonWidth = std::max(60, stop_->sizeHint().width());
  const int barWidth = std::min(260, std::max(80, c_.status->width() / 3));
  stop_->setGeometry(c_.status->width() - buttonWidth, 0, buttonWidth, h);
  progress_->setGeometry(c_.status->width() - buttonWidth - barWidth - 4, 1, barWidth, h - 2);
  progress_->setRange(0, std::max(total, 1));
  progress_->setValue(std::clamp(done, 0, std::max(total, 1)));
  progress_->setFormat(secondsLeft >= 0 && done < total
                           ? QStringLiteral("%v of %m fits, %1 s left").arg(static_cast<long long>(std::ceil(secondsLeft)))
                           : QStringLiteral("%v of %m fits"));
  if (!progress_->isVisible()) {
    stop_->setEnabled(true);
    progress_->show();
    stop_->show();
  }
}

void QtShell::endProgress() {
  if (!progress_) return;
  progress_->hide();
  stop_->hide();
}

}  // namespace volmar
