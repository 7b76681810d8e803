#include "support/ScriptedShell.h"

#include <gtest/gtest.h>

#include "commands/Context.h"
#include "commands/Printing.h"

namespace volmar::test {

bool ScriptedShell::enabled(MenuItem item) const {
  auto it = menu.find(item);
  return it != menu.end() && it->second;
}

void ScriptedShell::appendLine(const std::string& line) {
  lines.push_back(line);
  events.push_back("line");
}
void ScriptedShell::selectLastLine() {
  ++selectCount;
  events.push_back("select");
}
void ScriptedShell::clearLines() {
  lines.clear();
  events.push_back("clear");
}
void ScriptedShell::repaintList() { events.push_back("repaint"); }
void ScriptedShell::setStatus(const std::string& text) {
  statuses.push_back(text);
  events.push_back("status");
}
void ScriptedShell::message(const std::string& text) {
  messages.push_back(text);
  events.push_back("message");
}

Answer ScriptedShell::askYesNo(const std::string& text) {
  questions.push_back(text);
  events.push_back("question");
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return Answer::No;
  }
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

Answer ScriptedShell::askYesNoCancel(const std::string& text) {
  questions.push_back(text);
  events.push_back("question");
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return Answer::Cancel;
  }
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

std::string ScriptedShell::inputBox(const std::string& caption, const std::string& prompt,
                                    const std::string& defaultText) {
  questions.push_back(caption + "|" + prompt + "|" + defaultText);
  events.push_back("input");
  if (inputs.empty()) return defaultText;
  std::string s = inputs.front();
  inputs.pop_front();
  return s;
}

bool ScriptedShell::executeOpenDialog(FileDialog& dialog) {
  openDialogsShown.push_back(dialog);
  events.push_back("open-dialog");
  if (openFiles.empty()) {
    ADD_FAILURE() << "unexpected open dialog";
    return false;
  }
  std::string f = openFiles.front();
  openFiles.pop_front();
  if (f.empty()) return false;
  dialog.fileName = f;
  return true;
}

bool ScriptedShell::executeSaveDialog(FileDialog& dialog) {
  saveDialogsShown.push_back(dialog);
  events.push_back("save-dialog");
  if (saveFiles.empty()) {
    ADD_FAILURE() << "unexpected save dialog";
    return false;
  }
  std::string f = saveFiles.front();
  saveFiles.pop_front();
  if (f.empty()) return false;
  dialog.fileName = f;
  return true;
}

bool ScriptedShell::showDataMatrixDialog(DataMatrixDialog& dialog) {
  events.push_back("data-dialog");
  if (dataDialogs.empty()) return dialog.ok();
  auto fn = dataDialogs.front();
  dataDialogs.pop_front();
  return fn(dialog);
}

void ScriptedShell::showParamDialog(ParamDialog& dialog) {
  events.push_back("param-dialog");
  if (paramDialogs.empty()) {
    dialog.ok();
    return;
  }
  auto fn = paramDialogs.front();
  paramDialogs.pop_front();
  fn(dialog);
}

void ScriptedShell::setChartTitle(const std::string& text) { chartTitle = text; }
void ScriptedShell::setChartFoot(const std::string& text) { chartFoot = text; }
void ScriptedShell::clearSeries(Series s) { (s == Series::Bars ? bars : linePoints).clear(); }
void ScriptedShell::addPoint(Series s, double value, const std::string& label) {
  (s == Series::Bars ? bars : linePoints).push_back({value, label});
}
void ScriptedShell::setPointValue(Series s, int position, double value) {
  auto& v = s == Series::Bars ? bars : linePoints;
  if (position < 0 || position >= static_cast<int>(v.size())) {
    ADD_FAILURE() << "chart point " << position << " out of range";
    return;
  }
  v[static_cast<std::size_t>(position)].value = value;
}
void ScriptedShell::setLeftAxis(double minimum, double maximum) {
  axisMin = minimum;
  axisMax = maximum;
}
void ScriptedShell::refreshChart() { events.push_back("chart-refresh"); }
void ScriptedShell::createGraphView() { ++graphCreated; }
void ScriptedShell::showGraphView() {
  ++graphShown;
  events.push_back("show-graph");
}
void ScriptedShell::enableMenu(MenuItem item, bool en) { menu[item] = en; }
void ScriptedShell::setBusyCursor(bool b) { busy = b; }
void ScriptedShell::beep() { ++beeps; }
void ScriptedShell::openHelp(int topic) { helpTopics.push_back(topic); }

void ScriptedShell::showBlocksTable(const GridCells& cells) {
  blocksTables.push_back(cells);
  events.push_back("blocksTable");
}
void ScriptedShell::showPairTable(const GridCells& cells) {
  pairTables.push_back(cells);
  events.push_back("pairTable");
}
// Stability by bootstrap.
bool ScriptedShell::showStabilityDialog(StabilityDialog& dialog) {
  events.push_back("stabilityDialog");
  if (stabilityDialogs.empty()) return true;
  auto answer = std::move(stabilityDialogs.front());
  stabilityDialogs.pop_front();
  return answer(dialog);
}
void ScriptedShell::showStabilityChart(const StabilityChart& chart) {
  stabilityCharts.push_back(chart);
  events.push_back("stabilityChart");
}
void ScriptedShell::showProgress(int done, int total, double) {
  ++progressShown;
  if (onProgress) onProgress(done, total);
}

void ScriptedShell::showBubbleChart(const BubbleChart& chart) {
  bubbleCharts.push_back(chart);
  events.push_back("bubbleChart");
}
void ScriptedShell::showPrototypesTable(const GridCells& cells) {
  prototypesTables.push_back(cells);
  events.push_back("prototypesTable");
}
void ScriptedShell::showSegmentProfiles(const ProfileChart& chart, MarkerThresholds&) {
  profileCharts.push_back(chart);
  events.push_back("segmentProfiles");
}

namespace {

// Records what a print job draws, page by page.
class RecordingCanvas : public PrintCanvas {
 public:
  RecordingCanvas(const ScriptedShell& shell, std::vector<std::vector<ScriptedShell::PrintedLine>>& pages)
      : shell_(shell), pages_(pages) {
    pages_.emplace_back();
  }
  int pageHeight() const override { return shell_.printPageHeight; }
  int textHeight(const std::string&) const override { return shell_.printTextHeight; }
  void drawText(int x, int y, const std::string& text) override { pages_.back().push_back({x, y, text}); }
  void newPage() override { pages_.emplace_back(); }

 private:
  const ScriptedShell& shell_;
  std::vector<std::vector<ScriptedShell::PrintedLine>>& pages_;
};

}  // namespace

void ScriptedShell::executePrinterSetupDialog() {
  ++printerSetups;
  events.push_back("printer-setup");
}

bool ScriptedShell::executePrintDialog() {
  ++printDialogsShown;
  events.push_back("print-dialog");
  if (printDialogs.empty()) {
    ADD_FAILURE() << "unexpected print dialog";
    return false;
  }
  const bool ok = printDialogs.front();
  printDialogs.pop_front();
  return ok;
}

std::vector<std::string> ScriptedShell::listLines() { return lines; }

void ScriptedShell::printJob(const std::function<void(PrintCanvas&)>& draw) {
  events.push_back("print-job");
  if (!printFailure.empty()) throw CommandError(printFailure);
  printJobs.emplace_back();
  RecordingCanvas canvas(*this, printJobs.back());
  draw(canvas);
}

void ScriptedShell::printChart() {
  events.push_back("print-chart");
  if (!printFailure.empty()) throw CommandError(printFailure);
  ++chartsPrinted;
}

void ScriptedShell::printGraphView() {
  events.push_back("print-graph");
  if (!printFailure.empty()) throw CommandError(printFailure);
  ++graphsPrinted;
}

void ScriptedShell::hideGraphView() {
  ++graphHidden;
  events.push_back("hide-graph");
}

}  // namespace volmar::test
