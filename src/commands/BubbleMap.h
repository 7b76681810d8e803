#pragma once

#include <functional>
#include <string>

#include "commands/Context.h"
#include "core/Workspace.h"

namespace volmar {

inline constexpr const char* BubbleChartCaption = "Frequency of prototypes for selected block";
// Lays prototypes 1..NumPrototypes of the projection out on the 10 x 10
// map: BubbleCol/BubbleRow from the x and the reversed y coordinate on one
// common scale, and BubbleGrid[r, c] the largest BlockProtoFreq of
// SelectedBlock among the prototypes in that cell. False, changing nothing,
// when the projection has no extent (no prototype, one prototype, all at
// one point, or no projection computed yet).
bool buildBubbleMap(Workspace& ws);

// The 100 bubbles of the map, cell (r, c) as point 10 r + c with x = r,
// y = c and radius factor * BubbleGrid[r, c] / m (m = NumCases / BlockSize
// respondents), labelled "P" + p in prototype p's cell.
BubbleChart bubbleChart(const Workspace& ws, double factor);

// Show > "&Frequency of prototypes for selected blocks (samples)": asks the
// block and the size factor, builds the map and opens TForm10.
void adjgraphforselectedblockssamples1Click(Context& ctx);

// TForm10's "&Save chart": the window's own save dialog (bitmap filter),
// the overwrite question, then the bitmap that `bitmap` renders, written
// through the one save procedure. Any failure shows "Could not write to
// file." (a failed write adds a line with the file and the system's reason)
// and leaves an existing file as it was. True when the file was written.
bool savechart1Click(Shell& shell, FileDialog& dialog, const std::function<std::string()>& bitmap);

// TForm10's "&Print chart": printDialog shows the print dialog (true when
// confirmed), print prints the chart (true when it went to the printer).
void printchart1Click(Shell& shell, const std::function<bool()>& printDialog,
                      const std::function<bool()>& print);

}  // namespace volmar
