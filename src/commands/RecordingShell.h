#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "commands/Shell.h"
#include "core/Workspace.h"

namespace volmar {

// A shell for work done on another thread: it shows nothing and keeps
// every call, so that the calls can be played to the real shell later, in
// the order they were made. Playing needs the workspace the real shell
// shows: a graph view call takes along the graph as it stood (prototype
// count, projection and connections, read from the worker's own workspace)
// and puts it there first, so that the view paints what it would have
// painted then. A call that asks the person something cannot be kept and
// throws std::logic_error; such commands do not run on workers.
//
// One thread may record while another takes what has been recorded so far
// and plays it, so that the person sees the work as it happens.
class RecordingShell final : public Shell {
 public:
  using Call = std::function<void(Shell&, Workspace&)>;

  explicit RecordingShell(const Workspace& worker) : worker_(worker) {}

  // Keeps a call of the caller's own making (for values that only the
  // shown workspace knows when the call is played).
  void keep(Call call) {
    const std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  // Takes the calls kept since the last take, first to last.
  std::vector<Call> take();

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
  void enableMenu(MenuItem item, bool enabled) override;
  void setBusyCursor(bool busy) override;
  void beep() override;
  void openHelp(int topic) override;
  void showBlocksTable(const GridCells& cells) override;
  void showPairTable(const GridCells& cells) override;
  void showBubbleChart(const BubbleChart& chart) override;
  void showPrototypesTable(const GridCells& cells) override;
  void executePrinterSetupDialog() override;
  bool executePrintDialog() override;
  std::vector<std::string> listLines() override;
  void printJob(const std::function<void(PrintCanvas&)>& draw) override;
  void printChart() override;
  void printGraphView() override;
  void hideGraphView() override;

 private:
  const Workspace& worker_;
  std::mutex mutex_;
  std::vector<Call> calls_;
};

}  // namespace volmar
