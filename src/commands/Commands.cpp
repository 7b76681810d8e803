#include "commands/Commands.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/DataMatrixDialog.h"
#include "commands/DataReading.h"
#include "commands/FileIO.h"
#include "commands/ParamDialog.h"
#include "commands/Profiles.h"
#include "core/Limits.h"
#include "core/NumberReader.h"

namespace volmar {

namespace {

constexpr const char* TwoWayNote = "The subsample indicators are not used: the data are read as";

// Steps 11 to 15: the subsample file for the cases held. The indicators are
// read apart and reach SubsampleOf, and KSamples is set, only when the whole
// file was read and every number names a subsample; otherwise the data are
// plain two-way data.
void readSubsamples(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  sh.message(std::string("A filename for reading the subsample") + LineBreak +
             "affiliation of each case will be asked next.");
  sh.setStatus("Read subsample info...");
  ctx.openDialog.fileName = "*.*";
  ctx.openDialog.filterIndex = 5;
  if (!sh.executeOpenDialog(ctx.openDialog)) {
    ws.KSamples = false;
    sh.message(std::string("No subsample file was read.") + LineBreak + TwoWayNote + LineBreak +
               "plain two-way data.");
    sh.setStatus("Done.");
    return;
  }
  std::vector<std::int32_t> subsample(static_cast<std::size_t>(ws.NumCases));
  try {
    const std::string text = readTextFile(ctx.openDialog.fileName);
    NumberReader in(text);
    for (auto& s : subsample) s = in.readInteger();
  } catch (const std::exception& e) {
    ws.KSamples = false;
    throw CommandError(e.what() + std::string(LineBreak) + TwoWayNote + LineBreak + "plain two-way data.");
  }
  sh.message("Subsample indicator read.");
  // Subsample numbers index the blocks tables: refuse what they cannot hold.
  for (int c = 1; c <= ws.NumCases; ++c) {
    const int s = subsample[static_cast<std::size_t>(c - 1)];
    if (s < 1 || s > MaxBlocks) {
      ws.KSamples = false;
      sh.message("Case " + std::to_string(c) + " has the subsample number " + std::to_string(s) +
                 "; subsample numbers must be from 1 to " + std::to_string(MaxBlocks) + "." +
                 LineBreak + TwoWayNote + LineBreak +
                 "plain two-way data. Open the data again with a corrected file.");
      sh.setStatus("Done.");
      return;
    }
  }
  for (int c = 1; c <= ws.NumCases; ++c) ws.SubsampleOf[c] = subsample[static_cast<std::size_t>(c - 1)];
  ws.KSamples = true;
  ws.KBlocks = false;
  ws.BlockSize = 1;
  sh.setStatus("Done.");
}

// The three-way settings of a shape; they describe how the rows are grouped
// and may be declared anew for the data held.
void applyLayout(Workspace& ws, const DataShape& shape) {
  ws.KBlocks = shape.KBlocks;
  ws.KSamples = shape.KSamples;
  ws.BlockSize = shape.BlockSize;
  ws.CaseFirst = shape.CaseFirst;
}

}  // namespace

void open1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  DataShape shape;
  {
    DataMatrixDialog dialog(ctx);
    sh.showDataMatrixDialog(dialog);  // Cancel changes nothing; reading goes on
    shape = dialog.shape;
  }
  sh.setStatus("Read data...");
  if (sh.executeOpenDialog(ctx.openDialog)) {
    // Everything is read apart from the workspace first: a file that cannot
    // be read completely leaves the data, their shape and the menu as they
    // were.
    const std::string text = readTextFile(ctx.openDialog.fileName);
    std::vector<float> values;
    bool numbersLeft = false;
    int shortRow = 0;
    const int rows = readDataRows(text, shape.NumCases, shape.NumVars, values, &numbersLeft, &shortRow);
    std::string records = std::to_string(rows) + " records read.";
    if (shortRow > 0) records += LineBreak + shortRowNote(shortRow, shape.NumVars);
    sh.message(records);
    if (rows == 0) {
      sh.message(std::string("The file holds no data.") + LineBreak +
                 "Open a file with at least one row of numbers.");
    } else {
      ws.NumCases = rows;
      ws.NumVars = shape.NumVars;
      applyLayout(ws, shape);
      // Plain numbers: no names, and the case number is the ID.
      ctx.names = DataNames{};
      const auto vars = static_cast<std::size_t>(shape.NumVars);
      for (int i = 1; i <= rows; ++i)
        std::copy_n(values.data() + static_cast<std::size_t>(i - 1) * vars, vars, ws.DataMatrix.row(i));
      for (const auto& note : dataFileNotes(text, shape.NumVars, rows, numbersLeft)) sh.message(note);
      if (ws.NumCases % ws.BlockSize != 0)
        sh.message(std::string("#ofVars modulo BlockSize must be 0!") + LineBreak + "Repeat input.");
      sh.enableMenu(MenuItem::Parameterize1, true);
      // The segments held belong to the data before.
      enableSegmentItems(sh, false);
    }
  } else {
    // No file: the number of cases and variables stay those of the data
    // held; the three-way settings are declared for them.
    applyLayout(ws, shape);
  }
  sh.setStatus("Done.");
  if (!shape.KSamples) return;
  readSubsamples(ctx);
}

void parameterize1Click(Context& ctx) {
  {
    ParamDialog dialog(ctx);
    ctx.shell.showParamDialog(dialog);
  }
  ctx.shell.enableMenu(MenuItem::Initialize1, true);
  ctx.shell.setStatus("Ready for training.");
  ctx.ws.NumPrototypes = 0;
}

}  // namespace volmar
