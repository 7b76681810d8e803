// volmar-batch printing to PDF files: the pages, replacing files, and the
// Qt runtime that only printing scripts start.
#include <gtest/gtest.h>

#include <cstdlib>

#include "BatchProcess.h"
#include "support/Pdf.h"

using namespace volmar::test;

namespace {

// Blanks in runs as one: the text read back from a PDF page keeps the words
// and their order, not the exact spacing.
std::string words(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\f' || c == '\r';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  return out;
}

const std::string trainIris = "open " + irisPath() + " vars=4\nparameterize lower=1 upper=4 trials=3 epochs=12\ntrain\n";

TEST(BatchPrinting, ListboxChartAndGraphArePrintedToPdfFiles) {
  TempDir dir;
  // Before any training the graph view is printed as it is: blank.
  const BatchResult r = runScript(dir, "print graph " + dir.file("blank.pdf") + "\n" + trainIris + "print listbox " + dir.file("list.pdf") + "\nprint chart " +
                                           dir.file("chart.pdf") + "\nprint graph " + dir.file("graph.pdf") + "\n",
                                  {"--seed", "5"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("message: Listbox sent to printer.\nmessage: Chart sent to printer.\n"
                       "message: Graph sent to printer.\n"),
            std::string::npos)
      << r.err;
  // Every line of the output list, in order, over the pages.
  const int pages = pdfPageCount(dir.file("list.pdf"));
  ASSERT_GE(pages, 2) << "the run is meant to fill more than a page";
  std::string text;
  for (int p = 1; p <= pages; ++p) text += words(pdfPageText(dir.file("list.pdf"), p)) + " ";
  std::size_t at = 0;
  for (const std::string& line : splitLines(r.out)) {
    const std::string w = words(line + " ");
    if (w.empty()) continue;
    at = text.find(w, at);
    ASSERT_NE(at, std::string::npos) << "not printed: " << line;
  }
  for (const char* name : {"chart.pdf", "graph.pdf"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(pdfPageCount(dir.file(name)), 1);
    EXPECT_GT(pdfInkPixels(dir.file(name), 1), 50);
  }
  EXPECT_EQ(pdfInkPixels(dir.file("blank.pdf"), 1), 0);
}

TEST(BatchPrinting, AnExistingFileIsReplacedOnlyWithReplaceYes) {
  TempDir dir;
  const std::string pdf = dir.write("out.pdf", "keep me");
  const BatchResult refused = runScript(dir, "print listbox " + pdf + "\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("out.pdf exists and was not replaced; add replace=yes"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.err.find("sent to printer"), std::string::npos);
  EXPECT_EQ(readFile(pdf), "keep me");

  const BatchResult replaced = runScript(dir, "print chart " + pdf + " replace=yes\n");
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(pdfPageCount(pdf), 1);
}

TEST(BatchPrinting, AFileThatCannotBeWrittenEndsTheScriptWithItsReason) {
  TempDir dir;
  for (const char* command : {"print listbox", "print chart", "print graph"}) {
    SCOPED_TRACE(command);
    const BatchResult r = runScript(dir, std::string(command) + " " + dir.file("no/such/folder.pdf") + "\nshow chart\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find("sent to printer"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("folder.pdf"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("title"), std::string::npos);  // the line after it did not run
  }
}

// Printing while memory runs out: under address-space limits from where
// the run cannot get far to where it completes, every run ends with exit 0,
// or with exit 1 and the out-of-memory message, never killed by a signal
// (an allocation failing again while a half-done page is unwound used to
// abort the program). One thread, so that the limits meet the printing
// rather than the starting of training threads.
TEST(BatchPrinting, PrintingShortOfMemoryEndsWithTheMemoryMessage) {
  TempDir dir;
  const std::string train = "open " + irisPath() + " vars=4\nparameterize lower=1 upper=3 trials=2 epochs=6\ntrain\n";
  // The font cache of these runs is their own; one run without a limit
  // fills it.
  const std::string fonts = privateFontConfig(dir, dir.file("font-cache"));
  const BatchResult warm =
      runBatchWithAddressSpace({dir.write("warm.vb", train + "print listbox " + dir.file("warm.pdf") + "\n")}, 0, fonts);
  ASSERT_EQ(warm.status, 0) << warm.err.substr(0, 2000);
  for (const char* command : {"print listbox", "print graph"}) {
    SCOPED_TRACE(command);
    const std::string script =
        dir.write("print.vb", train + command + " " + dir.file("out.pdf") + " replace=yes\nshow chart\n");
    int completed = 0, outOfMemoryWhilePrinting = 0;
    for (rlim_t mb = 96; mb <= 220; mb += 4) {
      SCOPED_TRACE(std::to_string(mb) + " MB");
      const BatchResult r = runBatchWithAddressSpace({"--threads", "1", "--seed", "5", script}, mb << 20, fonts);
      ASSERT_EQ(r.signal, 0) << r.err.substr(0, 2000);
      ASSERT_TRUE(r.status == 0 || r.status == 1) << r.status << "\n" << r.err.substr(0, 2000);
      if (r.status == 0) {
        ++completed;
        continue;
      }
      // A command that runs out says so; so does the run when reading the
      // script is what runs out.
      const bool inCommand = r.err.find("message: Not enough memory to complete the command.\n") != std::string::npos;
      EXPECT_TRUE(inCommand || r.err.find("volmar-batch: not enough memory; the run was stopped\n") != std::string::npos)
          << r.err.substr(0, 2000);
      outOfMemoryWhilePrinting += inCommand && r.err.find("message: Training completed.") != std::string::npos;
    }
    // The limits must reach from a print that runs out of memory to one
    // that completes, or the test shows nothing.
    EXPECT_GE(outOfMemoryWhilePrinting, 1) << "no limit ran out of memory while printing: lower the limits";
    EXPECT_GE(completed, 1) << "no limit let the run complete: raise the limits";
  }
}

TEST(BatchPrinting, OnlyScriptsThatPrintStartQt) {
  TempDir dir;
  // A platform that does not exist makes starting Qt fail.
  ::setenv("QT_QPA_PLATFORM", "no-such-platform", 1);
  const BatchResult plain = runScript(dir, trainIris + "show chart\n");
  const BatchResult printing = runScript(dir, trainIris + "print chart " + dir.file("c.pdf") + "\n");
  ::unsetenv("QT_QPA_PLATFORM");
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_NE(printing.status, 0);
}

}  // namespace
