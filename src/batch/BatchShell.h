#pragma once

#include <array>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commands/Context.h"
#include "commands/Shell.h"

namespace volmar::batch {

// The Shell of the batch front end. What the main window would show goes to
// two streams: the output list's lines to `out`, one per line, exactly as
// appended; message boxes, questions, input boxes and (when asked for)
// status texts to `err`, each line with its kind in front ("message: ...").
// Dialog answers come from the script line being run; whatever it leaves
// open is answered the way a cautious person would, and said so.
class BatchShell : public Shell {
 public:
  struct Point {
    double value;
    std::string label;
  };

  // What the script line being run answers. Cleared before every line.
  struct LineAnswers {
    std::deque<std::string> openFiles;  // in the order the dialogs come up
    std::deque<std::string> saveFiles;
    std::function<void(DataMatrixDialog&)> dataMatrix;  // sets the controls
    std::function<void(ParamDialog&)> params;
    // The answer to every question the command asks, with why; without it
    // questions get the safe answer.
    std::optional<Answer> questions;
    std::string questionsReason;
    // The PDF file the print dialog prints to, and whether an existing one
    // may be replaced.
    std::deque<std::string> printFiles;
    bool printReplace = false;
    // Stability by bootstrap.
    std::function<void(StabilityDialog&)> stability;  // sets the dialog's texts
  };

  BatchShell(std::FILE* out, std::FILE* err, bool showStatus);

  // Starts a new script line: its answers replace those of the last one.
  LineAnswers& beginLine();
  LineAnswers& answers() { return answers_; }
  // Whether a question of the current line was answered No or Cancel
  // because the script gave no answer for it.
  bool questionDeclined() const { return declined_; }

  // The answer for the next input box with this caption, used once.
  void presetInput(const std::string& caption, std::optional<std::string> text);

  bool menuEnabled(MenuItem item) const { return menu_[static_cast<std::size_t>(item)]; }

  // What the main chart holds.
  const std::string& chartTitle() const { return chartTitle_; }
  const std::string& chartFoot() const { return chartFoot_; }
  const std::vector<Point>& bars() const { return bars_; }
  const std::vector<Point>& linePoints() const { return line_; }
  std::optional<std::pair<double, double>> leftAxis() const { return leftAxis_; }

  // A line of a batch view (chart, table) on standard output.
  void print(const std::string& line);
  // A note of the batch front end itself on standard error.
  void note(const std::string& text);
  // False once a write to standard output has failed.
  bool outputOk() const;

  void appendLine(const std::string& line) override;
  void selectLastLine() override {}
  void clearLines() override { lines_.clear(); }
  void repaintList() override {}
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
  void setChartTitle(const std::string& text) override { chartTitle_ = text; }
  void setChartFoot(const std::string& text) override { chartFoot_ = text; }
  void clearSeries(Series s) override;
  void addPoint(Series s, double value, const std::string& label) override;
  void setPointValue(Series s, int position, double value) override;
  void setLeftAxis(double minimum, double maximum) override { leftAxis_ = {minimum, maximum}; }
  void refreshChart() override {}
  // The graph view is printed by "show graph" only; during training it
  // would repeat after every epoch.
  void createGraphView() override {}
  void showGraphView() override {}
  // While a run waits for its workers, what it printed so far goes out.
  void keepResponsive() override;
  void enableMenu(MenuItem item, bool enabled) override;
  void setBusyCursor(bool) override {}
  void beep() override {}
  void openHelp(int topic) override;
  // The analysis windows are printed: a grid's cells tab-separated, a row a
  // line; the bubble chart is kept for the command that asked for it.
  void showBlocksTable(const GridCells& cells) override { printCells(cells); }
  void showPairTable(const GridCells& cells) override { printCells(cells); }
  void showBubbleChart(const BubbleChart& chart) override { bubbleChart_ = chart; }
  void showPrototypesTable(const GridCells& cells) override { printCells(cells); }
  void printCells(const GridCells& cells);
  // Stability by bootstrap.
  bool showStabilityDialog(StabilityDialog& dialog) override;
  void showStabilityChart(const StabilityChart& chart) override { stabilityChart_ = chart; }
  // The chart of the last stability window, taken once.
  std::optional<StabilityChart> takeStabilityChart();
  // The chart of the last bubble window, taken once.
  std::optional<BubbleChart> takeBubbleChart();

  // The workspace the graph view is drawn from when it is printed.
  void attachWorkspace(const Workspace& ws) { ws_ = &ws; }
  // Why the last print call of the current line failed, if it did.
  const std::optional<std::string>& printFailure() const { return printFailure_; }
  void executePrinterSetupDialog() override;
  bool executePrintDialog() override;
  std::vector<std::string> listLines() override { return lines_; }
  void printJob(const std::function<void(PrintCanvas&)>& draw) override;
  void printChart() override;
  void printGraphView() override;
  void hideGraphView() override {}

 private:
  // Runs a print call, keeping the reason when it fails.
  void printing(const std::function<void()>& print);

  void errLines(const char* kind, const std::string& text);
  Answer ask(const std::string& text, Answer safe);
  bool fileDialog(std::deque<std::string>& files, FileDialog& dialog, const char* which);

  std::FILE* out_;
  std::FILE* err_;
  bool showStatus_;
  std::optional<std::string> lastStatus_;
  LineAnswers answers_;
  bool declined_ = false;
  std::map<std::string, std::string> inputs_;
  std::array<bool, MenuItemCount> menu_;
  std::string chartTitle_, chartFoot_;
  std::vector<Point> bars_, line_;
  std::optional<std::pair<double, double>> leftAxis_;
  std::optional<BubbleChart> bubbleChart_;
  std::optional<StabilityChart> stabilityChart_;
  std::vector<std::string> lines_;  // the output list, as the window keeps it
  const Workspace* ws_ = nullptr;
  std::string printFile_;
  std::optional<std::string> printFailure_;
};

// Thrown when a dialog's logic refuses the script's answers: in the desktop
// program the dialog would stay open for a correction, which a script
// cannot give, so the command ends there.
class DialogRefused : public CommandError {
 public:
  explicit DialogRefused(const std::string& caption);
};

}  // namespace volmar::batch
