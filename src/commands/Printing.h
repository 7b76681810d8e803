#pragma once

#include <string>
#include <vector>

#include "commands/Context.h"

namespace volmar {

// The page of a print job as the listbox printing draws on it: positions
// in the printer's device units, text in the canvas's current font.
class PrintCanvas {
 public:
  virtual ~PrintCanvas() = default;
  virtual int pageHeight() const = 0;
  virtual int textHeight(const std::string& text) const = 0;
  // Draws text with its left edge at x and its top at y.
  virtual void drawText(int x, int y, const std::string& text) = 0;
  // Ends the current page and starts the next one of the same job.
  virtual void newPage() = 0;
};

// Left edge and first top of the printed lines.
inline constexpr int ListPrintLeft = 30;
inline constexpr int ListPrintTop = 10;

// Lines a page holds: (page height - 10) div height of "M", at least one.
int listLinesPerPage(const PrintCanvas& canvas);

// Draws the lines on one job: L lines a page at y = 10, 10 + h, ..., a page
// break after every L-th line that has more lines after it. No lines leave
// the one page empty.
void printListLines(const std::vector<std::string>& lines, PrintCanvas& canvas);

// File > "Printer &Setup".
void printerSetup1Click(Context& ctx);
// File > "Print &Listbox": every line of the output list.
void print1Click(Context& ctx);
// File > "Print &Chart": the main chart on one page. Any failure shows
// "Printing failed."; a PDF file that could not be written adds a line with
// the file and the system's reason.
void printChart1Click(Context& ctx);
// File > "Print &Adjacency graph": the graph view's picture.
void printAdjacencygraph1Click(Context& ctx);

}  // namespace volmar
