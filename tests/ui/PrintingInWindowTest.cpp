// The print commands of the real main window, printed to PDF files chosen
// in the (scripted) print dialog, and the pages read back.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QListWidget>
#include <QPrinter>
#include <filesystem>

#include "ScriptedPrompter.h"
#include "core/Workspace.h"
#include "support/FileSizeLimit.h"
#include "support/Pdf.h"
#include "support/TempDir.h"
#include "ui/Main.h"
#include "ui/Printing.h"
#include "ui/QtShell.h"
#include "ui/Unit5.h"

using namespace volmar;
using namespace volmar::test;
using M = MenuItem;

namespace {

class PrintingInWindow : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedPrompter ask;
  std::unique_ptr<TFMain> win = std::make_unique<TFMain>(*ws, ask);
  TempDir dir;

  // Lines a page as the window's printer measures its font on a PDF page.
  int linesPerPage() {
    QPrinter& printer = win->shell().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QFontMetrics fm(QFont(printFontFor(win->ListBox1->font()), &printer), &printer);
    return (printer.height() - 10) / fm.height();
  }

  std::string print(M item, const std::string& name) {
    const std::string file = dir.file(name);
    ask.printFiles.push_back(file);
    win->action(item)->trigger();
    return file;
  }
};

std::string lineText(int i) { return "   line " + std::to_string(10000 + i) + " of the output"; }

TEST_F(PrintingInWindow, ListboxPageCountsAndTheLinesOfEveryPage) {
  const int L = linesPerPage();
  // A4 in the list's 9 point face.
  ASSERT_GT(L, 40);
  ASSERT_LT(L, 120);
  for (const int n : {0, L - 1, L, L + 1, 3 * L}) {
    SCOPED_TRACE(n);
    win->ListBox1->clear();
    for (int i = 1; i <= n; ++i) win->shell().appendLine(lineText(i));
    ask.messages.clear();
    const std::string pdf = print(M::Print1, "list" + std::to_string(n) + ".pdf");
    EXPECT_EQ(ask.messages, std::vector<std::string>{"Listbox sent to printer."});
    const int pages = n == 0 ? 1 : (n + L - 1) / L;
    ASSERT_EQ(pdfPageCount(pdf), pages);
    for (int p = 1; p <= pages; ++p) {
      const std::string text = pdfPageText(pdf, p);
      const int first = (p - 1) * L + 1, last = std::min(n, p * L);
      std::size_t at = 0;
      for (int i = first; i <= last; ++i) {
        at = text.find(lineText(i).substr(3), at);
        ASSERT_NE(at, std::string::npos) << "page " << p << " lacks line " << i;
      }
      if (last < n) {
        EXPECT_EQ(text.find(lineText(last + 1).substr(3)), std::string::npos);
      }
      if (n == 0) {
        EXPECT_EQ(text.find_first_not_of(" \n\f"), std::string::npos);
      }
    }
  }
}

TEST_F(PrintingInWindow, ChartAndGraphPagesAreNotBlankAndTheGraphViewIsHiddenAgain) {
  // Three prototypes in a triangle with two connections.
  ws->NumPrototypes = 3;
  const float xs[] = {0, 1, 0.5f}, ys[] = {0, 0, 1};
  for (int k = 1; k <= 3; ++k) {
    ws->SammonX[k] = xs[k - 1];
    ws->SammonY[k] = ys[k - 1];
  }
  ws->Adjacency(1, 2) = ws->Adjacency(2, 3) = 1;
  const std::string chart = print(M::PrintChart1, "chart.pdf");
  const std::string graph = print(M::PrintAdjacencygraph1, "graph.pdf");
  EXPECT_EQ(ask.messages, (std::vector<std::string>{"Chart sent to printer.", "Graph sent to printer."}));
  EXPECT_FALSE(win->graphView()->isVisible());
  for (const auto& pdf : {chart, graph}) {
    SCOPED_TRACE(pdf);
    EXPECT_EQ(pdfPageCount(pdf), 1);
    EXPECT_GT(pdfInkPixels(pdf, 1), 50);
  }
  // The chart's title and foot are printed as text.
  const std::string text = pdfPageText(chart, 1);
  EXPECT_NE(text.find("Sum of distances (bars), wSSI (line)"), std::string::npos) << text;
  EXPECT_NE(text.find("# of classes (prototypes)"), std::string::npos);
}

TEST_F(PrintingInWindow, CancelPrintsNothingAndAFailedPrintLeavesTheOldFileAsItWas) {
  ask.printFiles = {"", "", ""};
  for (M item : {M::Print1, M::PrintChart1, M::PrintAdjacencygraph1}) win->action(item)->trigger();
  EXPECT_TRUE(ask.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  // A PDF file that is there is replaced as a whole...
  const std::string old = dir.write("old.pdf", "the old file");
  win->shell().appendLine("one line");
  print(M::Print1, "old.pdf");
  EXPECT_EQ(pdfPageCount(old), 1);
  // ...and a target that cannot be written leaves nothing behind.
  std::filesystem::create_directory(dir.file("folder.pdf"));
  ask.messages.clear();
  print(M::PrintChart1, "folder.pdf");
  print(M::Print1, "folder.pdf");
  ASSERT_EQ(ask.messages.size(), 2u);
  EXPECT_EQ(ask.messages[0].rfind("Printing failed.\r\nCannot write file \"" + dir.file("folder.pdf") + "\": ", 0), 0u)
      << ask.messages[0];
  EXPECT_NE(ask.messages[1].find("folder.pdf"), std::string::npos) << ask.messages[1];
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// A disk that fills up while the PDF is written (a file-size limit): each
// print command leaves the good PDF there byte for byte, names the file in
// its message and leaves no temporary file.
TEST_F(PrintingInWindow, APdfThatCannotBeWrittenWholeLeavesTheOldFileAsItWas) {
  ws->NumPrototypes = 2;
  ws->SammonX[2] = 1;
  ws->Adjacency(1, 2) = 1;
  win->shell().appendLine("one line");
  const struct {
    M item;
    const char* firstLine;  // before the file's name and the reason
  } rows[] = {
      {M::Print1, ""},
      {M::PrintChart1, "Printing failed.\r\n"},
      {M::PrintAdjacencygraph1, ""},
  };
  const std::string old = dir.write("old.pdf", "%PDF-1.4 the old file\n");
  for (const auto& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.item));
    ask.messages.clear();
    {
      FileSizeLimit limit(256);
      print(r.item, "old.pdf");
    }
    EXPECT_EQ(readFile(old), "%PDF-1.4 the old file\n");
    ASSERT_EQ(ask.messages.size(), 1u);
    EXPECT_EQ(ask.messages[0].rfind(r.firstLine + ("Cannot write file \"" + old + "\": "), 0), 0u)
        << ask.messages[0];
  }
  EXPECT_FALSE(win->graphView()->isVisible());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(PrintingInWindow, PrinterSetupShowsThePageSetupDialog) {
  win->action(M::PrinterSetup1)->trigger();
  EXPECT_EQ(ask.printerSetups, 1);
  EXPECT_TRUE(ask.messages.empty());
}

}  // namespace
