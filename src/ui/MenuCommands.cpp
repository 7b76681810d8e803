#include "ui/MenuCommands.h"

#include "commands/Commands.h"
#include "commands/Printing.h"
#include "commands/ReadPrototypes.h"
#include "commands/Recall.h"
#include "commands/Refine.h"
#include "commands/SaveFiles.h"
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
    case M::PrinterSetup1:
      return printerSetup1Click;
    case M::Print1:
      return print1Click;
    case M::PrintChart1:
      return printChart1Click;
    case M::PrintAdjacencygraph1:
      return printAdjacencygraph1Click;
    default:
      return nullptr;
  }
}

}  // namespace volmar
