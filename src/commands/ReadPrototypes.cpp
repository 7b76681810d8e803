#include "commands/ReadPrototypes.h"

#include <string>

#include "commands/FileIO.h"
#include "core/Limits.h"
#include "core/NumberReader.h"

namespace volmar {

namespace {

constexpr int PrototypesOpenFilter = 4;

std::string count(long long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Before anything is read or changed: the shape of the file comes from the
// workspace, so data and a number of prototypes must be there.
void checkReadable(const Workspace& ws) {
  if (ws.NumVars < 1 || ws.NumCases < 1)
    throw CommandError(std::string("No data have been read: open a data file first.") + LineBreak +
                       "Each prototype holds one value per variable of the data.");
  const int n = ws.NumPrototypes != 0 ? ws.NumPrototypes : ws.LowerLimit;
  if (n < 1)
    throw CommandError(std::string("The number of prototypes to read is not set yet:") + LineBreak +
                       "use Parameterize first; the lower limit of prototypes is read.");
  if (n > MaxPrototypes || ws.NumVars > MaxVars)
    throw CommandError("At most " + std::to_string(MaxPrototypes) + " prototypes of " +
                       std::to_string(MaxVars) + " variables can be read.");
}

}  // namespace

int countNumberTokens(std::string_view text) {
  const std::size_t z = text.find('\x1a');
  if (z != std::string_view::npos) text = text.substr(0, z);
  int tokens = 0;
  bool inToken = false;
  for (const char ch : text) {
    const bool sep = static_cast<unsigned char>(ch) <= 32;
    if (!sep && !inToken) ++tokens;
    inToken = !sep;
  }
  return tokens;
}

void readPrototypesText(Workspace& ws, std::string_view text) {
  NumberReader in(text);
  for (int p = 1; p <= ws.NumPrototypes; ++p) {
    float* row = ws.Prototypes.row(p);
    for (int v = 0; v < ws.NumVars; ++v) row[v] = in.readFloat();
  }
}

void readprototypesfromfile1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  checkReadable(ws);
  sh.setStatus("Read prototypes...");
  ctx.openDialog.filterIndex = PrototypesOpenFilter;
  if (sh.executeOpenDialog(ctx.openDialog)) {
    std::string text;
    try {
      text = readTextFile(ctx.openDialog.fileName);
    } catch (...) {
      ctx.openDialog.filterIndex = 1;  // the data files' filter for the next Open
      throw;
    }
    ctx.openDialog.filterIndex = 1;
    if (ws.NumPrototypes == 0) ws.NumPrototypes = ws.LowerLimit;
    readPrototypesText(ws, text);
    sh.beep();
    sh.message(std::to_string(ws.NumPrototypes) + " prototypes read.");
    const long long needed = static_cast<long long>(ws.NumPrototypes) * ws.NumVars;
    const int found = countNumberTokens(text);
    if (found != needed) {
      sh.message("The file holds " + count(found, "number", "numbers") + ", but " +
                 count(ws.NumPrototypes, "prototype", "prototypes") + " of " +
                 count(ws.NumVars, "variable", "variables") + (ws.NumPrototypes == 1 ? " needs " : " need ") +
                 std::to_string(needed) + ":" +
                 LineBreak +
                 (found < needed ? "the missing values were read as 0."
                                 : "the numbers after the first " + std::to_string(needed) + " were ignored.") +
                 LineBreak + "The file was probably written for other data or another number of prototypes.");
    }
    ws.NumTrials = 0;
    sh.enableMenu(MenuItem::Recall, true);
    sh.enableMenu(MenuItem::Refineprototypes1, true);
  }
  sh.setStatus("Done.");
}

}  // namespace volmar
