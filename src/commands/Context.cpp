#include "commands/Context.h"

#include "commands/ParamDialog.h"
#include "commands/Profiles.h"

namespace volmar {

Context::Context(Workspace& workspace, Shell& sh) : ws(workspace), shell(sh) {
  openDialog.filters = {"Data files (*.dat)|*.dat", "ASCII data files (*.asc)|*.asc",
                        "Text data files (*.txt)|*.txt", "Prototypes (*.wgt)|*.wgt",
                        "All files(*.*)|*.*"};
  openDialog.defaultExt = "dat";
  saveDialog.filters = {"Prototypes file (*.wgt)|*.wgt", "Class labels file (*.lst)|*.lst",
                        "Info measure file (*.inf)|*.inf", "Error hits file (*.err)|*.err",
                        "Blocks(sample)xPrototypes|*.bsp"};
  importDialog.filters = {"Survey data (*.csv;*.sav;*.zsav;*.por;*.dta)|*.csv;*.sav;*.zsav;*.por;*.dta",
                          "CSV files (*.csv)|*.csv", "All files(*.*)|*.*"};
  importDialog.defaultExt = "csv";
  importDialog.fileName = "*.csv";
  segmentsDialog.filters = {"Segments with IDs (*.csv)|*.csv", "SPSS file (*.sav)|*.sav", "All files(*.*)|*.*"};
  segmentsDialog.defaultExt = "csv";
  descriptionDialog.filters = {"Segment description (*.csv)|*.csv", "All files(*.*)|*.*"};
  descriptionDialog.defaultExt = "csv";
  // Stability by bootstrap.
  stabilityDialog.filters = {"Stability values (*.txt)|*.txt", "All files(*.*)|*.*"};
  stabilityDialog.defaultExt = "txt";
}

std::string DataNames::variable(int v) const {
  if (imported && v >= 1 && static_cast<std::size_t>(v) <= variables.size())
    return variables[static_cast<std::size_t>(v - 1)];
  return std::to_string(v);
}

std::string DataNames::idHeading() const { return imported && !idName.empty() ? idName : "case"; }

void mainWindowCreated(Context& ctx) {
  Shell& sh = ctx.shell;
  for (MenuItem item : {MenuItem::Parameterize1, MenuItem::Run1, MenuItem::Compareoverreplications1,
                        MenuItem::Adjacencygraph1, MenuItem::BlockssamplesxPrototypescontingencytable1,
                        MenuItem::Adjgraphforselectedblockssamples1})
    sh.enableMenu(item, false);
  // Items disabled in the menu's own design.
  for (MenuItem item : {MenuItem::Initialize1, MenuItem::Subtractiveclustering1, MenuItem::Recall,
                        MenuItem::Similarityofprototypes1, MenuItem::Trimadjacencygraph1,
                        MenuItem::Restoreadjacencygraph1, MenuItem::Crosstabulateblockspairwise1,
                        MenuItem::absfrequencies1, MenuItem::BlockssamplesxPrototypestable1,
                        MenuItem::Frequencyofprototypesforpairofblocks1, MenuItem::Refineprototypes1})
    sh.enableMenu(item, false);
  // Segment profiles and their description: once segments exist.
  enableSegmentItems(sh, false);
  // Stability by bootstrap.
  for (MenuItem item : {MenuItem::Stability1, MenuItem::Globalbootstrap1, MenuItem::Segmentsbootstrap1,
                        MenuItem::Stabilityvalues1})
    sh.enableMenu(item, false);
  ctx.ws.ParamsEntered = false;
  ctx.ws.UseSubtClus = false;
  sh.setChartTitle("Sum of distances (bars), wSSI (line)");
  sh.setChartFoot("# of classes (prototypes)");
  sh.setStatus("Status...");
  // The parameter dialog is created once, hidden, at start-up; filling it
  // selects the Euclidean distance.
  ParamDialog hidden(ctx);
}

}  // namespace volmar
