#include "commands/Commands.h"

#include <string>

#include "commands/DataMatrixDialog.h"
#include "commands/DataReading.h"
#include "commands/FileIO.h"
#include "commands/ParamDialog.h"
#include "core/Limits.h"
#include "core/NumberReader.h"

namespace volmar {

namespace {

void readSubsamples(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  sh.message(std::string("A filename for reading the subsample") + LineBreak +
             "affiliation of each case will be asked next.");
  sh.setStatus("Read subsample info...");
  ctx.openDialog.fileName = "*.*";
  ctx.openDialog.filterIndex = 5;
  if (sh.executeOpenDialog(ctx.openDialog)) {
    const std::string text = readTextFile(ctx.openDialog.fileName);
    NumberReader in(text);
    for (int c = 1; c <= ws.NumCases; ++c) ws.SubsampleOf[c] = in.readInteger();
    sh.message("Subsample indicator read.");
    // Subsample numbers index the blocks tables: refuse what they cannot hold.
    for (int c = 1; c <= ws.NumCases; ++c) {
      const int s = ws.SubsampleOf[c];
      if (s < 1 || s > MaxBlocks) {
        ws.KSamples = false;
        sh.message("Case " + std::to_string(c) + " has the subsample number " + std::to_string(s) +
                   "; subsample numbers must be from 1 to " + std::to_string(MaxBlocks) + "." +
                   LineBreak + "The subsample indicators are not used: the data are read as" +
                   LineBreak + "plain two-way data. Open the data again with a corrected file.");
        break;
      }
    }
  }
  sh.setStatus("Done.");
}

}  // namespace

void open1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  {
    DataMatrixDialog dialog(ctx);
    sh.showDataMatrixDialog(dialog);  // Cancel changes nothing; reading goes on
  }
  sh.setStatus("Read data...");
  if (sh.executeOpenDialog(ctx.openDialog)) {
    const std::string text = readTextFile(ctx.openDialog.fileName);
    const int rows = readDataRows(ws, text);
    if (rows < ws.NumCases) ws.NumCases = rows;
    sh.message(std::to_string(rows) + " records read.");
    if (ws.NumCases % ws.BlockSize != 0)
      sh.message(std::string("#ofVars modulo BlockSize must be 0!") + LineBreak + "Repeat input.");
    if (rows > 0) {
      sh.enableMenu(MenuItem::Parameterize1, true);
    } else {
      sh.message(std::string("The file holds no data.") + LineBreak +
                 "Open a file with at least one row of numbers.");
    }
  }
  sh.setStatus("Done.");
  if (!ws.KSamples) return;
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
