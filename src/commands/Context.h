#pragma once

#include <atomic>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/Shell.h"
#include "core/SegmentProfiles.h"
#include "core/Workspace.h"

namespace volmar {

// The names that go with the data held: the variables' names and, for every
// row of the file the data came from, its ID and the case it became. An
// imported file sets them; File > Open and the start leave none, and then
// the variables are "1", "2", ... and the case number is the ID.
struct DataNames {
  bool imported = false;
  std::string idName;                 // the ID variable's name; "" = none chosen
  std::vector<std::string> variables; // one per data column, 1..NumVars
  std::vector<std::string> ids;       // one per row of the file
  std::vector<int> caseOfRow;         // one per row of the file: its case, 0 = left out
  // The class labels held were given to these data by a training run or a
  // recall (not to data read before them).
  bool labelledHere = false;

  // Name of variable v (1-based) of data with `numVars` variables.
  std::string variable(int v) const;
  // Heading of the ID column of files written for the data.
  std::string idHeading() const;
};

struct StabilityResult;

// What the menu commands share besides the workspace: the shell they talk
// through and the file dialog components whose filter and name persist from
// one use to the next (as the main window's dialogs would).
struct Context {
  Context(Workspace& workspace, Shell& sh);

  Workspace& ws;
  Shell& shell;
  FileDialog openDialog;  // data, subsample and prototypes files
  FileDialog saveDialog;  // every file written
  FileDialog importDialog;    // survey files (CSV, SPSS, Stata)
  FileDialog segmentsDialog;  // segments with IDs
  DataNames names;
  // Segment profiles: the description's save dialog, and the marker
  // thresholds last chosen (in a profiles window or a batch line), which
  // the description file's marker columns follow.
  FileDialog descriptionDialog;
  MarkerThresholds profileThresholds;
  // Stability by bootstrap.
  FileDialog stabilityDialog;  // stability values files
  std::shared_ptr<const StabilityResult> stability;  // the last study
  // Set (from the window's thread) to ask a long command to stop at its
  // next safe point; the command then throws CommandStopped.
  std::atomic<bool> stopRequested{false};
};

// An error that ends a command; its text is shown in a message box.
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A command that stopped because it was asked to (the window was closed):
// nothing to report.
class CommandStopped : public std::exception {
 public:
  const char* what() const noexcept override { return "The command was stopped."; }
};

// Runs one menu command: an error raised inside it ends the command and is
// reported with its text; the cursor is put back to normal so that a failed
// command never leaves the hourglass on.
// An allocation failure ends the command like any other error.
inline constexpr const char* OutOfMemoryText =
    "Not enough memory to complete the command.";

template <typename Fn>
void runCommand(Context& ctx, Fn&& fn) {
  try {
    fn(ctx);
  } catch (const CommandStopped&) {
    ctx.shell.setBusyCursor(false);
  } catch (const std::bad_alloc&) {
    ctx.shell.setBusyCursor(false);
    ctx.shell.message(OutOfMemoryText);
  } catch (const std::exception& e) {
    ctx.shell.setBusyCursor(false);
    ctx.shell.message(e.what());
  }
}

// The main window was created: menu states, flags, status text, chart
// captions, and the hidden parameter dialog whose creation sets DistanceKind.
void mainWindowCreated(Context& ctx);

}  // namespace volmar
