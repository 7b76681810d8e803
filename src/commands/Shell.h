#pragma once

#include <functional>
#include <string>
#include <vector>

#include "commands/MenuItem.h"

namespace volmar {

class DataMatrixDialog;
class ParamDialog;
class PrintCanvas;
struct ProfileChart;
struct MarkerThresholds;
struct StabilityDialog;

// Answer of a message box or question.
enum class Answer { Ok, Yes, No, Cancel };

// The two series of the main chart: bars (sum of distances, left axis) and
// the line (wSSI, right axis fixed to 0..1).
enum class Series { Bars, Line };

// The cells of a string grid, row by row: cells[row][column], row 0 and
// column 0 being the fixed header row and column.
using GridCells = std::vector<std::vector<std::string>>;

// One point of a bubble series: x and y values, radius in units of the
// vertical axis, text label ("" for none).
struct Bubble {
  double x = 0;
  double y = 0;
  double radius = 0;
  std::string label;
};

// What the chart of prototype frequencies shows.
struct BubbleChart {
  std::string title;  // the line added below the empty first title line
  std::string foot;
  std::vector<Bubble> bubbles;
};

// Stability by bootstrap.
// One box of a stability chart: the five numbers of a column of values.
struct StabilityBox {
  std::string label;
  double minimum = 0, q1 = 0, median = 0, q3 = 0, maximum = 0;
};

// The chart of a stability study: a box per number of prototypes or per
// segment on an axis from 0 to 1.
struct StabilityChart {
  std::string title;
  std::string xLabel;  // what the boxes stand for
  std::string yLabel;  // the measure
  std::vector<StabilityBox> boxes;
};

// A file open or save dialog component. Its filter position and file name
// persist between uses, as the command that owns it leaves them.
struct FileDialog {
  std::vector<std::string> filters;  // "Description|*.ext" each
  int filterIndex = 1;               // 1-based
  std::string defaultExt;            // without the dot
  std::string fileName;              // preset name in, chosen path out
};

// Everything a command needs from the person in front of the program.
// The main window implements it with Qt, tests with a scripted shell and the
// batch front end on standard input and output. Commands block on nothing
// else.
class Shell {
 public:
  virtual ~Shell() = default;

  // Output list.
  virtual void appendLine(const std::string& line) = 0;
  virtual void selectLastLine() = 0;
  virtual void clearLines() = 0;
  virtual void repaintList() = 0;

  // Status line; shown at once.
  virtual void setStatus(const std::string& text) = 0;

  // Message boxes and questions; lines inside texts are joined by LineBreak.
  virtual void message(const std::string& text) = 0;
  virtual Answer askYesNo(const std::string& text) = 0;
  virtual Answer askYesNoCancel(const std::string& text) = 0;
  // Cancelling returns the default text.
  virtual std::string inputBox(const std::string& caption, const std::string& prompt,
                               const std::string& defaultText) = 0;

  // File dialogs: true when the user chose a file; dialog.fileName then holds
  // its path and dialog.filterIndex the filter in use.
  virtual bool executeOpenDialog(FileDialog& dialog) = 0;
  virtual bool executeSaveDialog(FileDialog& dialog) = 0;

  // Modal dialogs whose logic lives in the commands layer. The data matrix
  // dialog returns true for OK.
  virtual bool showDataMatrixDialog(DataMatrixDialog& dialog) = 0;
  virtual void showParamDialog(ParamDialog& dialog) = 0;

  // Main chart.
  virtual void setChartTitle(const std::string& text) = 0;  // clears, adds one line
  virtual void setChartFoot(const std::string& text) = 0;   // clears, adds one line
  virtual void clearSeries(Series s) = 0;
  virtual void addPoint(Series s, double value, const std::string& label) = 0;
  virtual void setPointValue(Series s, int position, double value) = 0;  // 0-based
  virtual void setLeftAxis(double minimum, double maximum) = 0;
  virtual void refreshChart() = 0;

  // Adjacency graph view: created anew (hidden) at the start of a run, shown
  // and repainted after epochs; it paints itself from the workspace.
  virtual void createGraphView() = 0;
  virtual void showGraphView() = 0;
  // Shows the view in front of the other windows (the person asked for it).
  virtual void bringGraphViewToFront() { showGraphView(); }

  // Menu, cursor, sound, help.
  virtual void enableMenu(MenuItem item, bool enabled) = 0;
  virtual void setBusyCursor(bool busy) = 0;
  virtual void beep() = 0;
  virtual void openHelp(int topic) = 0;

  // Analysis windows. Each call opens a further non-modal window showing a
  // snapshot of what it is given; windows opened earlier stay as they are.
  virtual void showBlocksTable(const GridCells& cells) = 0;  // TBSPrTable
  virtual void showPairTable(const GridCells& cells) = 0;    // TForm8
  virtual void showBubbleChart(const BubbleChart& chart) = 0;  // TForm10
  // The prototypes table (TPrTable): modal, closed by the person.
  virtual void showPrototypesTable(const GridCells& cells) = 0;
  // The segment profiles window: non-modal, a further one on every call.
  // The marker thresholds the person chooses in it are written to `chosen`
  // (the context's, which outlives the window). A shell without windows
  // has nothing to show.
  virtual void showSegmentProfiles(const ProfileChart& /*chart*/, MarkerThresholds& /*chosen*/) {}
  // Printing. The print dialog chooses the printer (or the PDF file) that
  // the print calls after it use; false when it was cancelled. The print
  // calls throw CommandError when the printer or file cannot be written.
  virtual void executePrinterSetupDialog() = 0;
  virtual bool executePrintDialog() = 0;
  // The output list's lines, first to last.
  virtual std::vector<std::string> listLines() = 0;
  // One print job: draw puts its pages on the canvas.
  virtual void printJob(const std::function<void(PrintCanvas&)>& draw) = 0;
  // The main chart on one page, inside the chart's print margins.
  virtual void printChart() = 0;
  // The graph view's client area at the top left of one page, at the size
  // it has on the screen.
  virtual void printGraphView() = 0;
  virtual void hideGraphView() = 0;

  // Called now and then while a command waits for work done on other
  // threads: the window paints itself and takes a request to close.
  virtual void keepResponsive() {}

  // Stability by bootstrap.
  // The stability dialog; true for OK.
  virtual bool showStabilityDialog(StabilityDialog& dialog) { return (void)dialog, false; }
  // Opens a further non-modal chart window with the study's box plots.
  virtual void showStabilityChart(const StabilityChart& chart) { (void)chart; }
  // Progress of a long computation: `done` of `total` steps, about
  // `secondsLeft` to go (negative: not known yet); endProgress when over.
  virtual void showProgress(int done, int total, double secondsLeft) { (void)done, (void)total, (void)secondsLeft; }
  virtual void endProgress() {}
};

}  // namespace volmar
