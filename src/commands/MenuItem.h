#pragma once

namespace volmar {

// Every command of the main menu, named after its menu component.
enum class MenuItem {
  File1,
  Open1,
  Import1,
  SaveAs1,
  Prototypes2,
  Classlabels1,
  Infooverreplications1,
  BlocksSamplesxPrototypestable2,
  SegmentswithIDs1,
  Segmentdescription1,
  PrinterSetup1,
  Print1,
  PrintChart1,
  PrintAdjacencygraph1,
  Quit1,
  Analysis1,
  Parameterize1,
  Initialize1,
  Readprototypesfromfile1,
  Subtractiveclustering1,
  Run1,
  Recall,
  Refineprototypes1,
  Compareoverreplications1,
  Similarityofprototypes1,
  statNeighborhood1,
  squEuclDist1,
  statNbhdsquEucD1,
  Trimadjacencygraph1,
  Restoreadjacencygraph1,
  BlockssamplesxPrototypescontingencytable1,
  Crosstabulateblockspairwise1,
  absfrequencies1,
  standardizeddeviations1,
  Tabulate1,
  Prototypes1,
  Adjacencygraph1,
  BlockssamplesxPrototypestable1,
  Adjgraphforselectedblockssamples1,
  Frequencyofprototypesforpairofblocks1,
  Segmentprofiles1,
  About1,
  Help2,
  Help1,
  HelpFile1,
  UserGuide1,
  // Stability by bootstrap.
  Stability1,
  Globalbootstrap1,
  Segmentsbootstrap1,
  Stabilityvalues1,
  Count_
};

inline constexpr int MenuItemCount = static_cast<int>(MenuItem::Count_);

}  // namespace volmar
