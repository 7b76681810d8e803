// The print commands against the scripted shell: the listbox's pages, the
// dialog that is cancelled, the messages and the failures.
#include <gtest/gtest.h>

#include "commands/Printing.h"
#include "support/ScriptedShell.h"

using namespace volmar;
using volmar::test::ScriptedShell;

namespace {

class Printing : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  void fillList(int n) {
    for (int i = 1; i <= n; ++i) shell.lines.push_back("   line " + std::to_string(i));
  }
};

TEST_F(Printing, ListboxPagesHoldLLinesEachInOneJobWithoutAnEmptyLastPage) {
  // (110 - 10) div 20 = 5 lines a page.
  constexpr int L = 5;
  const struct {
    int lines;
    int pages;
  } cases[] = {{0, 1}, {L - 1, 1}, {L, 1}, {L + 1, 2}, {3 * L, 3}, {3 * L + 1, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    ScriptedShell sh;
    Context cx{*ws, sh};
    sh.printPageHeight = 110;
    sh.printTextHeight = 20;
    for (int i = 1; i <= c.lines; ++i) sh.lines.push_back("   line " + std::to_string(i));
    sh.printDialogs = {true};
    print1Click(cx);
    ASSERT_EQ(sh.printJobs.size(), 1u);
    const auto& pages = sh.printJobs[0];
    ASSERT_EQ(static_cast<int>(pages.size()), c.pages);
    int next = 1;
    for (const auto& page : pages) {
      EXPECT_LE(page.size(), static_cast<std::size_t>(L));
      for (std::size_t k = 0; k < page.size(); ++k) {
        EXPECT_EQ(page[k].x, 30);
        EXPECT_EQ(page[k].y, 10 + 20 * static_cast<int>(k));
        EXPECT_EQ(page[k].text, "   line " + std::to_string(next++));
      }
      // Every page but the last is full.
      if (&page != &pages.back()) {
        EXPECT_EQ(page.size(), static_cast<std::size_t>(L));
      }
    }
    EXPECT_EQ(next, c.lines + 1);
    EXPECT_EQ(sh.messages, std::vector<std::string>{"Listbox sent to printer."});
  }
}

TEST_F(Printing, APageLowerThanOneLineStillPrintsALineAPage) {
  shell.printPageHeight = 12;
  shell.printTextHeight = 20;
  fillList(3);
  shell.printDialogs = {true};
  print1Click(ctx);
  ASSERT_EQ(shell.printJobs.size(), 1u);
  EXPECT_EQ(shell.printJobs[0].size(), 3u);
}

TEST_F(Printing, ACancelledPrintDialogPrintsAndShowsNothing) {
  fillList(3);
  for (auto command : {print1Click, printChart1Click, printAdjacencygraph1Click}) {
    shell.printDialogs = {false};
    command(ctx);
  }
  EXPECT_EQ(shell.printDialogsShown, 3);
  EXPECT_TRUE(shell.printJobs.empty());
  EXPECT_EQ(shell.chartsPrinted + shell.graphsPrinted + shell.graphShown, 0);
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Printing, MessagesWhenDoneAndWhenPrintingFails) {
  const struct {
    void (*command)(Context&);
    bool fails;
    std::string message;
  } cases[] = {
      {printChart1Click, false, "Chart sent to printer."},
      {printChart1Click, true, "Printing failed."},
      {printAdjacencygraph1Click, false, "Graph sent to printer."},
      // Only the chart catches its failure; the others report the error.
      {printAdjacencygraph1Click, true, "no room on the disk"},
      {print1Click, true, "no room on the disk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ScriptedShell sh;
    Context cx{*ws, sh};
    if (c.fails) sh.printFailure = "no room on the disk";
    sh.printDialogs = {true};
    runCommand(cx, c.command);
    EXPECT_EQ(sh.messages, std::vector<std::string>{c.message});
  }
}

TEST_F(Printing, TheGraphViewIsShownForPrintingAndHiddenAgainEvenWhenPrintingFails) {
  for (bool fails : {false, true}) {
    ScriptedShell sh;
    Context cx{*ws, sh};
    if (fails) sh.printFailure = "printer gone";
    sh.printDialogs = {true};
    runCommand(cx, printAdjacencygraph1Click);
    EXPECT_EQ(sh.events, (std::vector<std::string>{"print-dialog", "show-graph", "print-graph", "hide-graph", "message"}));
  }
}

TEST_F(Printing, PrinterSetupShowsItsDialogOnly) {
  printerSetup1Click(ctx);
  EXPECT_EQ(shell.printerSetups, 1);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(shell.printDialogsShown, 0);
}

}  // namespace
