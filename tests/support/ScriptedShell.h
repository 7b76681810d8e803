#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "commands/DataMatrixDialog.h"
#include "commands/ParamDialog.h"
#include "commands/Profiles.h"
#include "commands/Shell.h"

namespace volmar::test {

// A Shell for tests: answers from queues and records everything it was told.
// An empty queue gives the dialog's default behaviour (question: the first
// button's answer is not assumed; an unexpected question fails the test).
class ScriptedShell : public Shell {
 public:
  struct Point {
    double value;
    std::string label;
  };

  // Recorded.
  std::vector<std::string> lines;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> statuses;
  std::vector<std::string> events;  // one word per call, in order
  std::vector<FileDialog> openDialogsShown;
  std::vector<FileDialog> saveDialogsShown;
  std::vector<int> helpTopics;
  std::map<MenuItem, bool> menu;
  std::string chartTitle, chartFoot;
  std::vector<Point> bars, linePoints;
  double axisMin = 0, axisMax = 0;
  bool busy = false;
  int beeps = 0;
  int graphCreated = 0;
  int graphShown = 0;
  int selectCount = 0;
  // Analysis windows opened, in order of their kind.
  std::vector<GridCells> blocksTables, pairTables, prototypesTables;
  std::vector<BubbleChart> bubbleCharts;
  std::vector<ProfileChart> profileCharts;

  // Answers.
  std::deque<Answer> answers;
  std::deque<std::string> inputs;           // input boxes; empty = default
  std::deque<std::string> openFiles;        // "" = cancel
  std::deque<std::string> saveFiles;        // "" = cancel
  std::deque<std::function<bool(DataMatrixDialog&)>> dataDialogs;  // empty = press OK
  std::deque<std::function<void(ParamDialog&)>> paramDialogs;      // empty = press OK

  std::string status() const { return statuses.empty() ? std::string() : statuses.back(); }
  bool enabled(MenuItem item) const;

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
  void setBusyCursor(bool b) override;
  void beep() override;
  void openHelp(int topic) override;
  void showBlocksTable(const GridCells& cells) override;
  void showPairTable(const GridCells& cells) override;
  void showBubbleChart(const BubbleChart& chart) override;
  void showPrototypesTable(const GridCells& cells) override;
  void showSegmentProfiles(const ProfileChart& chart, MarkerThresholds& chosen) override;

  // Printing: the print dialogs answered from printDialogs (true = print;
  // an empty queue fails the test), every job recorded page by page on a
  // canvas of the given page and line heights; a printFailure text makes
  // every print call throw it.
  std::deque<bool> printDialogs;
  int printerSetups = 0;
  int printDialogsShown = 0;
  int printPageHeight = 1000;
  int printTextHeight = 20;
  std::string printFailure;
  struct PrintedLine {
    int x, y;
    std::string text;
  };
  std::vector<std::vector<std::vector<PrintedLine>>> printJobs;  // job, page, line
  int chartsPrinted = 0;
  int graphsPrinted = 0;
  int graphHidden = 0;

  void executePrinterSetupDialog() override;
  bool executePrintDialog() override;
  std::vector<std::string> listLines() override;
  void printJob(const std::function<void(PrintCanvas&)>& draw) override;
  void printChart() override;
  void printGraphView() override;
  void hideGraphView() override;

  // Stability by bootstrap.
  // The dialog's answers (empty = press OK with what it shows); the dialogs
  // shown, the charts opened and the progress reported.
  std::deque<std::function<bool(StabilityDialog&)>> stabilityDialogs;
  std::vector<StabilityChart> stabilityCharts;
  int progressShown = 0;
  int progressEnded = 0;
  std::function<void(int done, int total)> onProgress;  // a test's step-in
  bool showStabilityDialog(StabilityDialog& dialog) override;
  void showStabilityChart(const StabilityChart& chart) override;
  void showProgress(int done, int total, double secondsLeft) override;
  void endProgress() override { ++progressEnded; }
};

}  // namespace volmar::test
