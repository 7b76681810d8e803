#include "ui/MenuCommands.h"

#include "commands/BlockTables.h"
#include "commands/BubbleMap.h"
#include "commands/Commands.h"
#include "commands/PrototypesTable.h"
#include "commands/Profiles.h"
#include "commands/Compare.h"
#include "commands/Import.h"
#include "commands/Similarity.h"
#include "commands/TrimGraph.h"
#include "commands/Printing.h"
#include "commands/ReadPrototypes.h"
#include "commands/Recall.h"
#include "commands/Refine.h"
#include "commands/SaveFiles.h"
#include "commands/Stability.h"
#include "commands/SubtClus.h"
#include "commands/Train.h"

namespace volmar {

Command commandOf(MenuItem item) {
  using M = MenuItem;
  switch (item) {
    case M::Open1:
      return open1Click;
    case M::Prototypes2:
      return prototypes2Click;
    case M::Classlabels1:
      return classlabels1Click;
    case M::Infooverreplications1:
      return infooverreplications1Click;
    case M::SegmentswithIDs1:
      return segmentswithIDs1Click;
    case M::BlocksSamplesxPrototypestable2:
      return blocksSamplesxPrototypestable2Click;
    case M::Parameterize1:
      return parameterize1Click;
    case M::Readprototypesfromfile1:
      return readprototypesfromfile1Click;
    case M::Subtractiveclustering1:
      return subtractiveclustering1Click;
    case M::Run1:
      return run1Click;
    case M::Recall:
      return recallClick;
    case M::Refineprototypes1:
      return refineprototypes1Click;
    case M::Adjacencygraph1:
      return adjacencygraph1Click;
    case M::BlockssamplesxPrototypescontingencytable1:
      return blockssamplesxPrototypescontingencytable1Click;
    case M::BlockssamplesxPrototypestable1:
      return blockssamplesxPrototypestable1Click;
    case M::absfrequencies1:
      return absfrequencies1Click;
    case M::standardizeddeviations1:
      return standardizeddeviations1Click;
    case M::Frequencyofprototypesforpairofblocks1:
      return frequencyofprototypesforpairofblocks1Click;
    case M::Adjgraphforselectedblockssamples1:
      return adjgraphforselectedblockssamples1Click;
    case M::Prototypes1:
      return prototypes1Click;
    case M::Segmentprofiles1:
      return segmentprofiles1Click;
    case M::Segmentdescription1:
      return segmentdescription1Click;
    case M::Compareoverreplications1:
      return compareoverreplications1Click;
    case M::statNeighborhood1:
      return statNeighborhood1Click;
    case M::squEuclDist1:
      return squEuclDist1Click;
    case M::statNbhdsquEucD1:
      return statNbhdsquEucD1Click;
    case M::Trimadjacencygraph1:
      return trimadjacencygraph1Click;
    case M::Restoreadjacencygraph1:
      return restoreadjacencygraph1Click;
    case M::PrinterSetup1:
      return printerSetup1Click;
    case M::Print1:
      return print1Click;
    case M::PrintChart1:
      return printChart1Click;
    case M::PrintAdjacencygraph1:
      return printAdjacencygraph1Click;
    // Stability by bootstrap.
    case M::Globalbootstrap1:
      return globalbootstrap1Click;
    case M::Segmentsbootstrap1:
      return segmentsbootstrap1Click;
    case M::Stabilityvalues1:
      return stabilityvalues1Click;
    default:
      return nullptr;
  }
}

}  // namespace volmar
