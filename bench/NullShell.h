#pragma once

// A shell for benchmarks: shows nothing, answers every question with its
// default, so that a benchmark measures the commands alone.
#include <string>

#include "commands/Shell.h"

namespace volmar {

class NullShell : public Shell {
 public:
  void appendLine(const std::string& l) override { last = l; }
  void selectLastLine() override {}
  void clearLines() override {}
  void repaintList() override {}
  void setStatus(const std::string&) override {}
  void message(const std::string&) override {}
  Answer askYesNo(const std::string&) override { return Answer::No; }
  Answer askYesNoCancel(const std::string&) override { return Answer::Cancel; }
  std::string inputBox(const std::string&, const std::string&, const std::string& d) override { return d; }
  bool executeOpenDialog(FileDialog&) override { return false; }
  bool executeSaveDialog(FileDialog&) override { return false; }
  bool showDataMatrixDialog(DataMatrixDialog&) override { return false; }
  void showParamDialog(ParamDialog&) override {}
  void setChartTitle(const std::string&) override {}
  void setChartFoot(const std::string&) override {}
  void clearSeries(Series) override {}
  void addPoint(Series, double, const std::string&) override {}
  void setPointValue(Series, int, double) override {}
  void setLeftAxis(double, double) override {}
  void refreshChart() override {}
  void createGraphView() override {}
  void showGraphView() override {}
  void enableMenu(MenuItem, bool) override {}
  void setBusyCursor(bool) override {}
  void beep() override {}
  void openHelp(int) override {}
  void showBlocksTable(const GridCells&) override {}
  void showPairTable(const GridCells&) override {}
  void showBubbleChart(const BubbleChart&) override {}
  void showPrototypesTable(const GridCells&) override {}
  void executePrinterSetupDialog() override {}
  bool executePrintDialog() override { return false; }
  std::vector<std::string> listLines() override { return {}; }
  void printJob(const std::function<void(PrintCanvas&)>&) override {}
  void printChart() override {}
  void printGraphView() override {}
  void hideGraphView() override {}
  std::string last;
};

}  // namespace volmar
