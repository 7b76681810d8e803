#include "commands/BubbleMap.h"

#include <algorithm>
#include <cmath>

#include "commands/BlockTables.h"
#include "commands/FileIO.h"
#include "commands/SaveFiles.h"
#include "core/Limits.h"
#include "core/NumberReader.h"
#include "core/Sammon.h"

namespace volmar {

namespace {

// Map cell 0..9 of a scaled coordinate in 0..1 (1 gives 9).
int mapCell(float scaled) {
  const int cell = static_cast<int>(std::trunc(100.0L * scaled / 11));
  return std::clamp(cell, 0, BubbleGridSize - 1);
}

}  // namespace

bool buildBubbleMap(Workspace& ws) {
  const int protos = std::clamp(ws.NumPrototypes, 0, MaxPrototypes);
  if (protos < 1) return false;
  const ProjectionBox box = ProjectionBounds(ws);
  if (!(box.extent > 0) || !std::isfinite(box.extent)) return false;
  for (int r = 0; r < BubbleGridSize; ++r)
    for (int c = 0; c < BubbleGridSize; ++c) ws.BubbleGrid(r, c) = 0;
  const int block = std::clamp(ws.SelectedBlock, 1, MaxBlocks);
  for (int p = 1; p <= protos; ++p) {
    const auto xs = static_cast<float>((static_cast<long double>(ws.SammonX[p]) - box.minX) / box.extent);
    const auto ys = static_cast<float>((static_cast<long double>(ws.SammonY[p]) - box.minY) / box.extent);
    ws.BubbleCol[p] = mapCell(xs);
    ws.BubbleRow[p] = mapCell(static_cast<float>(1.0L - ys));
    const int v = ws.BlockProtoFreq(block, p);
    std::int32_t& cell = ws.BubbleGrid(ws.BubbleRow[p], ws.BubbleCol[p]);
    if (v > cell) cell = v;
  }
  return true;
}

BubbleChart bubbleChart(const Workspace& ws, double factor) {
  BubbleChart chart;
  chart.title = "Frequencies of prototypes for block (sample) # " + std::to_string(ws.SelectedBlock);
  chart.foot = "Prototypes Sammon-projected into R^2";
  const long double m = static_cast<long double>(std::clamp(ws.NumCases, 0, MaxCases)) /
                        std::clamp(ws.BlockSize, 1, MaxBlocks);
  for (int r = 0; r < BubbleGridSize; ++r)
    for (int c = 0; c < BubbleGridSize; ++c) {
      const long double radius = m > 0 ? factor * ws.BubbleGrid(r, c) / m : 0.0L;
      chart.bubbles.push_back({static_cast<double>(r), static_cast<double>(c), static_cast<double>(radius), ""});
    }
  for (int p = 1; p <= std::clamp(ws.NumPrototypes, 0, MaxPrototypes); ++p)
    chart.bubbles[static_cast<std::size_t>(ws.BubbleCol[p] + BubbleGridSize * ws.BubbleRow[p])].label =
        "P" + std::to_string(p);
  return chart;
}

void adjgraphforselectedblockssamples1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  ws.SelectedBlock = 1;
  const std::string answer = sh.inputBox("Determine block or sample", "Which do you want to see?", "1");
  const auto block = parseIntegerEntry(answer);
  if (!block) throw CommandError("'" + answer + "' is not a valid integer value");
  ws.SelectedBlock = *block;
  const int k = blockRowCount(ws);
  if (*block < 1 || *block > k) {
    sh.message("Retype. 1 <= value <= " + std::to_string(k) + " expected.");
    return;
  }
  if (!buildBubbleMap(ws)) {
    sh.message(std::string("The prototypes cannot be placed on the map: their projection has no extent.") +
               LineBreak + "There is only one prototype, all prototypes project onto one point," + LineBreak +
               "or no projection has been computed yet (only a training run with" + LineBreak +
               "neighbor update projects the prototypes).");
    return;
  }
  const std::string text = sh.inputBox("Rescale bubble size?", "default factor = ", "1.0");
  double factor = 1.0;
  // Any size will do; a negative one has no meaning and one beyond the
  // range of reals no size.
  const auto f = parseRealEntry(text);
  if (f && *f >= 0 && std::isfinite(static_cast<double>(*f))) {
    factor = static_cast<double>(*f);
  } else {
    sh.message("Wrong input. Default used.");
  }
  sh.showBubbleChart(bubbleChart(ws, factor));
}

bool savechart1Click(Shell& shell, FileDialog& dialog, const std::function<std::string()>& bitmap) {
  dialog.filters = {"Bitmap|*.bmp"};
  try {
    const auto choice = chooseSaveFile(shell, dialog, "bmp", "*.bmp", 1);
    if (!choice) return false;
    if (!writeChosenFile(shell, dialog, *choice, bitmap())) return false;
  } catch (const FileWriteError& e) {
    // The file and the system's reason, so that the user can mend it.
    shell.message(std::string("Could not write to file.") + LineBreak + e.what());
    return false;
  } catch (const std::exception&) {
    shell.message("Could not write to file.");
    return false;
  }
  shell.message("Chart file written.");
  return true;
}

void printchart1Click(Shell& shell, const std::function<bool()>& printDialog,
                      const std::function<bool()>& print) {
  if (!printDialog()) return;
  bool printed = false;
  try {
    printed = print();
  } catch (const FileWriteError& e) {
    // A PDF file that could not be written: name it and say why.
    shell.message(std::string("Printing failed.") + LineBreak + e.what());
    return;
  } catch (const std::exception&) {
    printed = false;
  }
  shell.message(printed ? "Chart sent to printer." : "Printing failed.");
}

}  // namespace volmar
