#pragma once

#include <QRect>

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "commands/Shell.h"

class QAction;
class QListWidget;
class QProgressBar;
class QPushButton;
class QPrinter;
class QWidget;

namespace volmar {

struct Workspace;
class MainChart;
class Prompter;
class StatusLine;
class TForm5;

// Converts "Description|*.ext" filters to Qt name filters. The description
// stays as it is (the dialog shows it without the added pattern list);
// "*.*" becomes "*" so that names without an extension match too.
QString qtNameFilter(const std::string& filter);
QStringList qtNameFilters(const FileDialog& dialog);

// The Shell on the main window's controls. Whatever needs an answer from the
// person goes to a Prompter; everything else is shown in the window at once.
//
// Long commands run on this thread without returning to the event loop. At
// the points where they repaint, pending events are let through: paint and
// layout, the window system's requests (a close request asks whether to
// quit) and the dialogs a command opens; mouse and key input for the rest of
// the program is dropped while a command runs, so no other command can
// start. The output list still scrolls.
class QtShell : public Shell {
 public:
  struct Controls {
    QWidget* window = nullptr;
    QListWidget* list = nullptr;
    StatusLine* status = nullptr;
    MainChart* chart = nullptr;
    std::array<QAction*, MenuItemCount> actions{};
  };

  QtShell(Workspace& ws, Controls controls, Prompter& prompter);
  ~QtShell() override;

  void appendLine(const std::string& line) override;
  void selectLastLine() override;
  void clearLines() override;
  void repaintList() override;
  void setStatus(const std::string& text) override;
  void message(const std::string& text) override;
  Answer askYesNo(const std::string& text) override;
  Answer askYesNoCancel(const std::string& text) override;
  std::string inputBox(const std::string& caption, const std::string& prompt,
                       const std::string& defaultText) override;
  bool executeOpenDialog(FileDialog& dialog) override;
  bool executeSaveDialog(FileDialog& dialog) override;
  bool showDataMatrixDialog(DataMatrixDialog& dialog) override;
  void showParamDialog(ParamDialog& dialog) override;
  void setChartTitle(const std::string& text) override;
  void setChartFoot(const std::string& text) override;
  void clearSeries(Series s) override;
  void addPoint(Series s, double value, const std::string& label) override;
  void setPointValue(Series s, int position, double value) override;
  void setLeftAxis(double minimum, double maximum) override;
  void refreshChart() override;
  void createGraphView() override;
  void showGraphView() override;
  void bringGraphViewToFront() override;
  void enableMenu(MenuItem item, bool enabled) override;
  void setBusyCursor(bool busy) override;
  void beep() override;
  void openHelp(int topic) override;
  void showBlocksTable(const GridCells& cells) override;
  void showPairTable(const GridCells& cells) override;
  void showBubbleChart(const BubbleChart& chart) override;
  void showPrototypesTable(const GridCells& cells) override;
  void showSegmentProfiles(const ProfileChart& chart, MarkerThresholds& chosen) override;
  void executePrinterSetupDialog() override;
  bool executePrintDialog() override;
  std::vector<std::string> listLines() override;
  void printJob(const std::function<void(PrintCanvas&)>& draw) override;
  void printChart() override;
  void printGraphView() override;
  void hideGraphView() override;
  void keepResponsive() override;
  // Stability by bootstrap.
  bool showStabilityDialog(StabilityDialog& dialog) override;
  void showStabilityChart(const StabilityChart& chart) override;
  // A progress bar and a "Stop" button at the right of the status line; the
  // button (which takes clicks while the command runs) calls `stop`.
  void showProgress(int done, int total, double secondsLeft) override;
  void endProgress() override;
  void setStopRequest(std::function<void()> stop) { stopRequest_ = std::move(stop); }
  QProgressBar* progressBar() const { return progress_; }
  QPushButton* stopButton() const { return stop_; }
  // Between these the window runs a command (see above).
  void beginCommand();
  void endCommand();
  bool commandRunning() const { return commandRunning_; }
  // Called when the graph view is asked to close during a command: the
  // program's own close request takes its place.
  void setCloseDuringCommand(std::function<void()> close) { closeDuringCommand_ = std::move(close); }
  // The printer the print commands use; its dialogs' choices persist.
  QPrinter& printer();

  Prompter& prompter() { return prompter_; }
  TForm5* graphView() const { return graph_.get(); }
  bool busyCursor() const { return busy_; }
  // How often pending paint events were let through; a command that repeats
  // an unchanged status text must not add to it.
  long repaintPoints() const { return repaintPoints_; }

 private:
  void letPaintThrough();
  void processPending();
  void placeGraphView();
  class InputGuard;

  Workspace& ws_;
  Controls c_;
  Prompter& prompter_;
  std::unique_ptr<TForm5> graph_;
  std::unique_ptr<QPrinter> printer_;
  // Where the graph view stood when the user last had it open in this
  // session; empty until then.
  QRect graphPlace_;
  bool graphShown_ = false;
  bool commandRunning_ = false;
  std::unique_ptr<InputGuard> guard_;
  std::function<void()> closeDuringCommand_;
  bool busy_ = false;
  long repaintPoints_ = 0;
  QProgressBar* progress_ = nullptr;
  QPushButton* stop_ = nullptr;
  std::function<void()> stopRequest_;
};

}  // namespace volmar
