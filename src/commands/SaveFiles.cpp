#include "commands/SaveFiles.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "commands/BlockTables.h"
#include "commands/FileIO.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"

namespace volmar {

namespace {

constexpr const char* Crlf = "\r\n";

// A counter as an extent of an array: never below 0 nor beyond the bound.
int extent(int counter, int bound) { return std::clamp(counter, 0, bound); }

}  // namespace

std::string prototypesFileText(const Workspace& ws) {
  const int protos = extent(ws.NumPrototypes, MaxPrototypes);
  const int vars = extent(ws.NumVars, MaxVars);
  std::string text;
  text.reserve(static_cast<std::size_t>(protos) * (static_cast<std::size_t>(vars) * 8 + 3));
  for (int p = 1; p <= protos; ++p) {
    const float* row = ws.Prototypes.row(p);
    for (int v = 0; v < vars; ++v) text += formatPicture(row[v], " #####0.000; -#####0.000");
    text += ' ';
    text += Crlf;
  }
  return text;
}

std::string classLabelsFileText(const Workspace& ws) {
  // Labels are single bytes: their texts are formatted once, not per case.
  std::array<std::string, 256> labelText;
  for (int b = -128; b <= 127; ++b) labelText[static_cast<std::size_t>(b + 128)] = formatPicture(b, " ##0");
  const int cases = extent(ws.NumCases, MaxCases);
  const int reps = extent(ws.NumReplications, MaxReplications);
  std::string text;
  text.reserve(static_cast<std::size_t>(cases) * (static_cast<std::size_t>(reps) * 3 + 2));
  for (int c = 1; c <= cases; ++c) {
    const std::int8_t* row = ws.ClassLabels.row(c);
    for (int r = 0; r < reps; ++r) text += labelText[static_cast<std::size_t>(row[r] + 128)];
    text += Crlf;
  }
  return text;
}

std::string infoFileText(const Workspace& ws) {
  const int reps = extent(ws.NumReplications, MaxReplications);
  std::string text;
  for (int r = 1; r <= reps; ++r) {
    text += formatPicture(ws.RepSumDist[r], " ###########0.0##");
    text += Crlf;
  }
  return text;
}

std::string blocksTableFileText(const Workspace& ws) {
  // As many rows as the table window shows (one per subsample for k-samples);
  // none before data have set a block size.
  const int blocks = ws.KSamples || ws.BlockSize >= 1 ? blockRowCount(ws) : 0;
  const int protos = extent(ws.NumPrototypes, MaxPrototypes);
  std::string text;
  for (int b = 1; b <= blocks; ++b) {
    for (int p = 1; p <= protos; ++p) text += formatPicture(ws.BlockProtoFreq(b, p), " ####0");
    text += Crlf;
  }
  return text;
}

std::optional<SaveChoice> chooseSaveFile(Context& ctx, const std::string& defaultExt,
                                         const std::string& fileName, int filterIndex) {
  return chooseSaveFile(ctx.shell, ctx.saveDialog, defaultExt, fileName, filterIndex);
}

namespace {

std::string replaceQuestion(const std::string& path) { return "Replace " + fullFileName(path) + "?"; }

// The save dialog as it stands, again until a name is accepted: a file that
// exists is offered for replacing.
std::optional<SaveChoice> askForSaveFile(Shell& shell, FileDialog& dialog) {
  for (;;) {
    if (!shell.executeSaveDialog(dialog)) return std::nullopt;
    const std::string& path = dialog.fileName;
    // A folder of that name is no file to replace; writing reports it.
    std::error_code ec;
    if (!fileExists(path) || std::filesystem::is_directory(path, ec)) return SaveChoice{path, false};
    const Answer a = shell.askYesNoCancel(replaceQuestion(path));
    if (a == Answer::Yes) return SaveChoice{path, true};
    if (a != Answer::No) return std::nullopt;  // Cancel: nothing is written
    // No: choose another name.
  }
}

}  // namespace

std::optional<SaveChoice> chooseSaveFile(Shell& shell, FileDialog& dialog, const std::string& defaultExt,
                                         const std::string& fileName, int filterIndex) {
  dialog.defaultExt = defaultExt;
  dialog.fileName = fileName;
  dialog.filterIndex = filterIndex;
  return askForSaveFile(shell, dialog);
}

std::optional<std::string> writeChosenFile(Shell& shell, FileDialog& dialog, SaveChoice choice,
                                           const std::string& contents) {
  for (;;) {
    if (choice.replace) {
      writeFileReplacing(choice.path, contents);
      return choice.path;
    }
    try {
      writeNewFile(choice.path, contents);
      return choice.path;
    } catch (const FileExistsError&) {
      // Made by someone else since the name was chosen.
    }
    const Answer a = shell.askYesNoCancel(replaceQuestion(choice.path));
    if (a == Answer::Yes) {
      choice.replace = true;
    } else if (a == Answer::No) {
      auto other = askForSaveFile(shell, dialog);
      if (!other) return std::nullopt;
      choice = *other;
    } else {
      return std::nullopt;
    }
  }
}

bool saveResultFile(Context& ctx, const ResultFile& file, const std::function<std::string()>& contents) {
  const auto choice = chooseSaveFile(ctx, file.defaultExt, file.fileName, file.filterIndex);
  if (!choice) return false;
  Shell& sh = ctx.shell;
  sh.setStatus(file.status);
  // The whole text first, then one write that puts the file in place only
  // when it has all gone to disk.
  if (!writeChosenFile(sh, ctx.saveDialog, *choice, contents())) return false;
  if (file.beepFirst) sh.beep();
  sh.message(file.completion);
  sh.setStatus("Done.");
  return true;
}

void prototypes2Click(Context& ctx) {
  saveResultFile(ctx, {"wgt", "*.wgt", PrototypesFilter, "Save data...", "Prototypes file written.", false},
                 [&] { return prototypesFileText(ctx.ws); });
}

void classlabels1Click(Context& ctx) {
  saveResultFile(ctx, {"lst", "*.lst", ClassLabelsFilter, "Save data...", "Class labels written.", false},
                 [&] { return classLabelsFileText(ctx.ws); });
}

void infooverreplications1Click(Context& ctx) {
  saveResultFile(ctx,
                 {"inf", "*.inf", InfoMeasureFilter, "Save info measure...", "Info measure written.", true},
                 [&] { return infoFileText(ctx.ws); });
}

void blocksSamplesxPrototypestable2Click(Context& ctx) {
  saveResultFile(ctx,
                 {"bsp", "*.bsp", BlocksTableFilter, "Save data...",
                  "Contingency table (abs frequencies) written.", false},
                 [&] { return blocksTableFileText(ctx.ws); });
}

}  // namespace volmar
