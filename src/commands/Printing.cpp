#include "commands/Printing.h"

#include <algorithm>
#include <exception>

#include "commands/FileIO.h"

namespace volmar {

int listLinesPerPage(const PrintCanvas& canvas) {
  const int m = std::max(1, canvas.textHeight("M"));
  // A page lower than one line still takes one line, so that every line is
  // printed and the job ends.
  return std::max(1, (canvas.pageHeight() - ListPrintTop) / m);
}

void printListLines(const std::vector<std::string>& lines, PrintCanvas& canvas) {
  const int perPage = listLinesPerPage(canvas);
  int y = ListPrintTop;
  int n = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    canvas.drawText(ListPrintLeft, y, lines[i]);
    const int h = canvas.textHeight(lines[i]);
    ++n;
    if (n < perPage) {
      y += h;
    } else if (i + 1 < lines.size()) {
      // One job with page breaks: a page of its own per job would leave
      // only the last page in a file, and a full last page no empty one.
      canvas.newPage();
      y = ListPrintTop;
      n = 0;
    }
  }
}

void printerSetup1Click(Context& ctx) { ctx.shell.executePrinterSetupDialog(); }

void print1Click(Context& ctx) {
  Shell& sh = ctx.shell;
  if (!sh.executePrintDialog()) return;
  const std::vector<std::string> lines = sh.listLines();
  sh.printJob([&lines](PrintCanvas& canvas) { printListLines(lines, canvas); });
  sh.message("Listbox sent to printer.");
}

void printChart1Click(Context& ctx) {
  Shell& sh = ctx.shell;
  if (!sh.executePrintDialog()) return;
  try {
    sh.printChart();
  } catch (const FileWriteError& e) {
    // A PDF file that could not be written: name it and say why.
    sh.message(std::string("Printing failed.") + LineBreak + e.what());
    return;
  } catch (const std::exception&) {
    sh.message("Printing failed.");
    return;
  }
  sh.message("Chart sent to printer.");
}

void printAdjacencygraph1Click(Context& ctx) {
  Shell& sh = ctx.shell;
  if (!sh.executePrintDialog()) return;
  sh.showGraphView();
  try {
    sh.printGraphView();
  } catch (...) {
    sh.hideGraphView();
    throw;
  }
  sh.hideGraphView();
  sh.message("Graph sent to printer.");
}

}  // namespace volmar
