#include "commands/RecordingShell.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace volmar {

namespace {

[[noreturn]] void notOnWorker(const char* what) {
  throw std::logic_error(std::string(what) + " cannot be done by work on another thread");
}

// The graph view's picture: prototype count, projection, connections.
struct GraphPicture {
  int count = 0;
  std::vector<double> x, y;
  std::vector<std::int8_t> adjacency;  // count x count, row by row

  explicit GraphPicture(const Workspace& ws) : count(std::clamp(ws.NumPrototypes, 0, MaxPrototypes)) {
    for (int k = 1; k <= count; ++k) {
      x.push_back(ws.SammonX[k]);
      y.push_back(ws.SammonY[k]);
      for (int j = 1; j <= count; ++j) adjacency.push_back(ws.Adjacency(k, j));
    }
  }

  void putInto(Workspace& ws) const {
    ws.NumPrototypes = count;
    std::size_t a = 0;
    for (int k = 1; k <= count; ++k) {
      ws.SammonX[k] = x[static_cast<std::size_t>(k - 1)];
      ws.SammonY[k] = y[static_cast<std::size_t>(k - 1)];
      for (int j = 1; j <= count; ++j) ws.Adjacency(k, j) = adjacency[a++];
    }
  }
};

}  // namespace

std::vector<RecordingShell::Call> RecordingShell::take() {
  std::vector<Call> taken;
  const std::lock_guard<std::mutex> lock(mutex_);
  taken.swap(calls_);
  return taken;
}


void RecordingShell::appendLine(const std::string& line) {
  keep([line](Shell& sh, Workspace&) { sh.appendLine(line); });
}
void RecordingShell::selectLastLine() {
  keep([](Shell& sh, Workspace&) { sh.selectLastLine(); });
}
void RecordingShell::clearLines() {
  keep([](Shell& sh, Workspace&) { sh.clearLines(); });
}
void RecordingShell::repaintList() {
  keep([](Shell& sh, Workspace&) { sh.repaintList(); });
}
void RecordingShell::setStatus(const std::string& text) {
  keep([text](Shell& sh, Workspace&) { sh.setStatus(text); });
}
void RecordingShell::message(const std::string& text) {
  keep([text](Shell& sh, Workspace&) { sh.message(text); });
}
Answer RecordingShell::askYesNo(const std::string&) { notOnWorker("A question"); }
Answer RecordingShell::askYesNoCancel(const std::string&) { notOnWorker("A question"); }
std::string RecordingShell::inputBox(const std::string&, const std::string&, const std::string&) {
  notOnWorker("An input box");
}
bool RecordingShell::executeOpenDialog(FileDialog&) { notOnWorker("A file dialog"); }
bool RecordingShell::executeSaveDialog(FileDialog&) { notOnWorker("A file dialog"); }
bool RecordingShell::showDataMatrixDialog(DataMatrixDialog&) { notOnWorker("A dialog"); }
void RecordingShell::showParamDialog(ParamDialog&) { notOnWorker("A dialog"); }
void RecordingShell::setChartTitle(const std::string& text) {
  keep([text](Shell& sh, Workspace&) { sh.setChartTitle(text); });
}
void RecordingShell::setChartFoot(const std::string& text) {
  keep([text](Shell& sh, Workspace&) { sh.setChartFoot(text); });
}
void RecordingShell::clearSeries(Series s) {
  keep([s](Shell& sh, Workspace&) { sh.clearSeries(s); });
}
void RecordingShell::addPoint(Series s, double value, const std::string& label) {
  keep([s, value, label](Shell& sh, Workspace&) { sh.addPoint(s, value, label); });
}
void RecordingShell::setPointValue(Series s, int position, double value) {
  keep([s, position, value](Shell& sh, Workspace&) { sh.setPointValue(s, position, value); });
}
void RecordingShell::setLeftAxis(double minimum, double maximum) {
  keep([minimum, maximum](Shell& sh, Workspace&) { sh.setLeftAxis(minimum, maximum); });
}
void RecordingShell::refreshChart() {
  keep([](Shell& sh, Workspace&) { sh.refreshChart(); });
}
void RecordingShell::createGraphView() {
  keep([](Shell& sh, Workspace&) { sh.createGraphView(); });
}
void RecordingShell::showGraphView() {
  keep([picture = GraphPicture(worker_)](Shell& sh, Workspace& shown) {
    picture.putInto(shown);
    sh.showGraphView();
  });
}
void RecordingShell::enableMenu(MenuItem item, bool enabled) {
  keep([item, enabled](Shell& sh, Workspace&) { sh.enableMenu(item, enabled); });
}
void RecordingShell::setBusyCursor(bool busy) {
  keep([busy](Shell& sh, Workspace&) { sh.setBusyCursor(busy); });
}
void RecordingShell::beep() {
  keep([](Shell& sh, Workspace&) { sh.beep(); });
}
void RecordingShell::openHelp(int) { notOnWorker("Help"); }
void RecordingShell::showBlocksTable(const GridCells&) { notOnWorker("A table window"); }
void RecordingShell::showPairTable(const GridCells&) { notOnWorker("A table window"); }
void RecordingShell::showBubbleChart(const BubbleChart&) { notOnWorker("A chart window"); }
void RecordingShell::showPrototypesTable(const GridCells&) { notOnWorker("A table window"); }
void RecordingShell::executePrinterSetupDialog() { notOnWorker("Printing"); }
bool RecordingShell::executePrintDialog() { notOnWorker("Printing"); }
std::vector<std::string> RecordingShell::listLines() { notOnWorker("Reading the output list"); }
void RecordingShell::printJob(const std::function<void(PrintCanvas&)>&) { notOnWorker("Printing"); }
void RecordingShell::printChart() { notOnWorker("Printing"); }
void RecordingShell::printGraphView() { notOnWorker("Printing"); }
void RecordingShell::hideGraphView() {
  keep([](Shell& sh, Workspace&) { sh.hideGraphView(); });
}

}  // namespace volmar
