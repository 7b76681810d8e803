#pragma once

#include <string>

#include "commands/Context.h"
#include "core/Workspace.h"

namespace volmar {

// Window captions.
inline constexpr const char* BlocksTableCaption = "Blocks (samples) x Prototypes table [rel cell frequ]";
inline constexpr const char* PairTableCaption = "Crosstable for pair of blocks";

// ---- Blocks (samples) x prototypes -------------------------------------------

// How many block rows the table views, the ".bsp" file and the choice of a
// block for the bubble map offer: BlockSize for k-blocks data; for k-samples
// data the highest subsample number among the cases (1..20), since the
// table holds one row per subsample. Always within 1..20.
int blockRowCount(const Workspace& ws);

// Refuses (CommandError) when the labels of column NumReplications do not
// come from the current settings: no training run yet, or the parameter
// dialog (or a prototypes file) has changed NumPrototypes or
// NumReplications since the labels were made.
void requireCurrentLabels(const Workspace& ws);

// Counts BlockProtoFreq from the labels of column NumReplications. Cases
// whose subsample number or label falls outside the table (subsample
// 1..20, label 1..NumPrototypes) are not counted; returns how many.
int countBlockProtoFreq(Workspace& ws);

// The grid of TBSPrTable: cell percentages of all cases, row and column
// totals as counts.
GridCells blocksTableCells(const Workspace& ws);

// Analysis > "&Blocks(samples)xPrototypes contingency table".
void blockssamplesxPrototypescontingencytable1Click(Context& ctx);
// Show > "&Blocks (samples) x Prototypes table".
void blockssamplesxPrototypestable1Click(Context& ctx);

// ---- Pairs of blocks -----------------------------------------------------------

// Counts PairCrossTab for blocks a and b (1..BlockSize): rows are the
// prototypes of the respondents' cases in block a, columns those in block
// b. Respondents with a label outside 1..NumPrototypes in either block are
// not counted; returns how many.
int countPairCrossTab(Workspace& ws, int a, int b);

// The grid of TForm8 in the display PairShowsAbsFreq selects.
GridCells pairTableCells(const Workspace& ws);
// "Similarity Coeff for b1 and b2 = 0.4": the share of respondents in the
// same prototype in both blocks.
std::string similarityMessage(const Workspace& ws);

// Analysis > "C&rosstabulate blocks pairwise" > "abs. &frequencies".
void absfrequencies1Click(Context& ctx);
// Analysis > "C&rosstabulate blocks pairwise" > "standardized &deviations".
void standardizeddeviations1Click(Context& ctx);
// Show > "Frequency of proto&types for current pair of blocks ".
void frequencyofprototypesforpairofblocks1Click(Context& ctx);

}  // namespace volmar
