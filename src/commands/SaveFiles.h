#pragma once

#include <functional>
#include <optional>
#include <string>

#include "commands/Context.h"
#include "core/Workspace.h"

namespace volmar {

// Positions of the save dialog's filters (see Context).
inline constexpr int PrototypesFilter = 1;
inline constexpr int ClassLabelsFilter = 2;
inline constexpr int InfoMeasureFilter = 3;
inline constexpr int ErrorHitsFilter = 4;
inline constexpr int BlocksTableFilter = 5;

// ---- File contents ---------------------------------------------------------
// Each builds the whole text of one result file from the workspace, CR LF
// line ends, no header. Counters are taken as they are at the call, kept
// within the array limits.

// Prototypes rows 1..NumPrototypes, variables 1..NumVars, each value as
// " #####0.000; -#####0.000", then one blank before the line end. Empty when
// NumPrototypes is 0.
std::string prototypesFileText(const Workspace& ws);

// One line per case 1..NumCases: its labels for replications
// 1..NumReplications, each as " ##0", nothing after the last.
std::string classLabelsFileText(const Workspace& ws);

// One line per replication 1..NumReplications: RepSumDist as
// " ###########0.0##".
std::string infoFileText(const Workspace& ws);

// One line per block 1..BlockSize (k-samples: per subsample up to the
// highest number present): BlockProtoFreq for prototypes
// 1..NumPrototypes, each as " ####0".
std::string blocksTableFileText(const Workspace& ws);

// ---- The save procedure ------------------------------------------------------

// A file chosen for writing, and whether the user agreed to replace the
// file of that name that existed when it was chosen.
struct SaveChoice {
  std::string path;
  bool replace = false;
};

// Asks for the name of a file to write: presets the save dialog (default
// extension, file name pattern, filter position) and shows it; a file that
// exists already is replaced only after "Replace <full name>?" is answered
// Yes. No shows the dialog again, Cancel (there or in the dialog) gives
// nothing.
std::optional<SaveChoice> chooseSaveFile(Context& ctx, const std::string& defaultExt,
                                         const std::string& fileName, int filterIndex);
// The same with a save dialog of its own (a window's, with its own filters).
std::optional<SaveChoice> chooseSaveFile(Shell& shell, FileDialog& dialog, const std::string& defaultExt,
                                         const std::string& fileName, int filterIndex);

// Writes the contents to the chosen file, completely or not at all. A file
// the user did not agree to replace is never replaced: when one appeared
// under the name after the choice (another program saved it meanwhile), the
// question is asked again, as the dialog asks it: Yes replaces it, No shows
// the dialog again (the same dialog, as the choice left it), Cancel writes
// nothing. Returns the name written, or nothing when the user declined.
// Throws FileWriteError when the file cannot be written.
std::optional<std::string> writeChosenFile(Shell& shell, FileDialog& dialog, SaveChoice choice,
                                           const std::string& contents);

// How one kind of result file is saved.
struct ResultFile {
  std::string defaultExt;    // "wgt"
  std::string fileName;      // "*.wgt"
  int filterIndex = 1;       // position in the save dialog's filter list
  std::string status;        // shown while writing
  std::string completion;    // message once written
  bool beepFirst = false;    // sound the beep before the completion message
};

// The whole procedure every writer shares: choose the file, show the status,
// build the text, write it, report. The file is written completely or not
// at all: a failure (full disk, a folder of that name, no permission) leaves
// an existing file as it was and throws CommandError with the reason, the
// status line keeping the writer's text. Returns false when the user
// cancelled (in the dialog, or in the question asked again when a file of
// that name appeared while the text was written).
bool saveResultFile(Context& ctx, const ResultFile& file, const std::function<std::string()>& contents);

// ---- Menu commands -------------------------------------------------------------

// File > Save > "&Prototypes".
void prototypes2Click(Context& ctx);
// File > Save > "&Class labels".
void classlabels1Click(Context& ctx);
// File > Save > "&Info over replications".
void infooverreplications1Click(Context& ctx);
// File > Save > "&Blocks (Samples) x Prototypes table".
void blocksSamplesxPrototypestable2Click(Context& ctx);

}  // namespace volmar
