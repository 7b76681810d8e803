#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace volmar {
struct Workspace;
class PrintCanvas;
}  // namespace volmar

namespace volmar::batch {

// What the batch front end's chart holds, to be drawn as the main window's.
struct ChartContents {
  struct Point {
    double value;
    std::string label;
  };
  std::string title, foot;
  std::vector<Point> bars, line;
  std::optional<std::pair<double, double>> leftAxis;
};

// Printing to a PDF file on an A4 page, without a dialog, as the main
// window prints; the file is written beside the target and renamed into
// place. The file name is taken as bytes, as the script gives it. Without
// mayReplace an existing file is never replaced, however recently it
// appeared (FileExistsError). Each throws CommandError when it cannot print.
void printJobToPdf(const std::string& file, bool mayReplace, const std::function<void(PrintCanvas&)>& draw);
void printChartToPdf(const std::string& file, bool mayReplace, const ChartContents& chart);
void printGraphToPdf(const std::string& file, bool mayReplace, const Workspace& ws);

}  // namespace volmar::batch
