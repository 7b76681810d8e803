#include "ui/MenuTable.h"

#include <array>
#include <cassert>

namespace volmar {

namespace {

using M = MenuItem;
constexpr M Top = M::Count_;

// clang-format off
constexpr MenuEntry Entries[] = {
  //item                                    parent                      caption                                                   hint                               help  enabled visible submenu sep   shortcut
  {M::File1,                                Top,                        "&File",                                                  "Read / write data",               0,  true,  true,  true,  false, ""},
  {M::Open1,                                M::File1,                   "&Open",                                                  "Open data file",                  20, true,  true,  false, false, ""},
  {M::Import1,                              M::File1,                   "&Import...",                                             "Import survey data (CSV) with names and IDs", 0, true, true, false, false, ""},
  {M::SaveAs1,                              M::File1,                   "Save",                                                   "",                                0,  true,  true,  true,  false, ""},
  {M::Prototypes2,                          M::SaveAs1,                 "&Prototypes",                                            "",                                0,  true,  true,  false, false, ""},
  {M::Classlabels1,                         M::SaveAs1,                 "&Class labels",                                          "",                                0,  true,  true,  false, false, ""},
  {M::Infooverreplications1,                M::SaveAs1,                 "&Info over replications",                                "",                                0,  true,  true,  false, false, ""},
  {M::BlocksSamplesxPrototypestable2,       M::SaveAs1,                 "&Blocks (Samples) x Prototypes table",                   "",                                0,  true,  true,  false, false, ""},
  {M::SegmentswithIDs1,                     M::SaveAs1,                 "Segments with IDs...",                                   "One row per case of the file: its ID and segments", 0, true, true, false, false, ""},
  {M::Segmentdescription1,                  M::SaveAs1,                 "Segment description...",                                 "Each variable's mean and SD in the sample and in every segment, and its markers", 0, false, true, false, false, ""},
  // Stability by bootstrap.
  {M::Stabilityvalues1,                     M::SaveAs1,                 "Stability values...",                                    "The values of the last stability study, a row per pair", 0, false, true, false, false, ""},
  {M::PrinterSetup1,                        M::File1,                   "Printer &Setup",                                         "",                                0,  true,  true,  false, true,  ""},
  {M::Print1,                               M::File1,                   "Print &Listbox",                                         "",                                0,  true,  true,  false, false, ""},
  {M::PrintChart1,                          M::File1,                   "Print &Chart",                                           "",                                0,  true,  true,  false, false, ""},
  {M::PrintAdjacencygraph1,                 M::File1,                   "Print &Adjacency graph",                                 "",                                0,  true,  true,  false, false, ""},
  {M::Quit1,                                M::File1,                   "&Quit",                                                  "",                                0,  true,  true,  false, true,  ""},
  {M::Analysis1,                            Top,                        "&Analysis",                                              "perform training",                0,  true,  true,  true,  false, ""},
  {M::Parameterize1,                        M::Analysis1,               "&Parameterize",                                          "Configure your training run",     30, false, true,  false, false, ""},
  {M::Initialize1,                          M::Analysis1,               "&Initialize",                                            "",                                0,  false, true,  true,  false, ""},
  {M::Readprototypesfromfile1,              M::Initialize1,             "Read prototypes from &file",                             "",                                0,  true,  true,  false, false, ""},
  {M::Subtractiveclustering1,               M::Initialize1,             "&Subtractive clustering",                                "",                                0,  false, true,  false, false, ""},
  {M::Run1,                                 M::Analysis1,               "&Train",                                                 "Start the training",              10, false, true,  false, false, ""},
  {M::Recall,                               M::Analysis1,               "&Recall",                                                "",                                0,  false, true,  false, false, ""},
  {M::Compareoverreplications1,             M::Analysis1,               "&Compare over replications",                             "",                                55, false, true,  false, true,  ""},
  {M::Similarityofprototypes1,              M::Analysis1,               "&Similarity of prototypes",                              "",                                0,  false, true,  true,  false, ""},
  {M::statNeighborhood1,                    M::Similarityofprototypes1, "stat. Neighborhood",                                     "",                                26, true,  true,  false, false, ""},
  {M::squEuclDist1,                         M::Similarityofprototypes1, "- squ.Eucl. Dist.",                                      "",                                0,  true,  true,  false, false, ""},
  {M::statNbhdsquEucD1,                     M::Similarityofprototypes1, "statNbhd / squEucD",                                     "",                                0,  true,  true,  false, false, ""},
  {M::Trimadjacencygraph1,                  M::Analysis1,               "Trim &adjacency graph",                                  "Remove edges of the graph",       0,  false, true,  false, false, ""},
  {M::Restoreadjacencygraph1,               M::Analysis1,               "Rest&ore adjacency graph",                               "Restore the learned connections", 0,  false, true,  false, false, ""},
  {M::BlockssamplesxPrototypescontingencytable1, M::Analysis1,          "&Blocks(samples)xPrototypes contingency table",          "",                                0,  false, true,  false, true,  ""},
  {M::Crosstabulateblockspairwise1,         M::Analysis1,               "C&rosstabulate blocks pairwise",                         "",                                0,  false, true,  true,  false, ""},
  {M::absfrequencies1,                      M::Crosstabulateblockspairwise1, "abs. &frequencies",                                 "",                                0,  false, true,  false, false, ""},
  {M::standardizeddeviations1,              M::Crosstabulateblockspairwise1, "standardized &deviations",                          "",                                0,  true,  true,  false, false, ""},
  {M::Refineprototypes1,                    M::Analysis1,               "Refine prototypes (batch k-means)",                      "Move the prototypes to the means of their classes until no case changes its class", 0, false, true, false, true, ""},
  // Stability by bootstrap.
  {M::Stability1,                           M::Analysis1,               "Stability",                                              "How many segments, and how stable", 0, false, true, true,  true,  ""},
  {M::Globalbootstrap1,                     M::Stability1,              "&Global (bootstrap)...",                                 "Stability of every number of segments of a range over bootstrap samples", 0, false, true, false, false, ""},
  {M::Segmentsbootstrap1,                   M::Stability1,              "&Segments (bootstrap)...",                               "Stability of every segment of the current solution over bootstrap samples", 0, false, true, false, false, ""},
  {M::Tabulate1,                            Top,                        "&Show",                                                  "ancillary results",               0,  true,  true,  true,  false, ""},
  {M::Prototypes1,                          M::Tabulate1,               "&Prototypes Table",                                      "",                                0,  true,  true,  false, false, ""},
  {M::Adjacencygraph1,                      M::Tabulate1,               "&Adjacency Graph",                                       "",                                18, false, true,  false, false, ""},
  {M::BlockssamplesxPrototypestable1,       M::Tabulate1,               "&Blocks (samples) x Prototypes table",                   "",                                12, false, true,  false, false, ""},
  {M::Adjgraphforselectedblockssamples1,    M::Tabulate1,               "&Frequency of prototypes for selected blocks (samples)", "",                                0,  false, true,  false, false, ""},
  {M::Frequencyofprototypesforpairofblocks1, M::Tabulate1,              "Frequency of proto&types for current pair of blocks ",   "",                                0,  false, true,  false, false, ""},
  {M::Segmentprofiles1,                     M::Tabulate1,               "Segment &profiles",                                      "How each segment differs from the whole sample, variable by variable", 0, false, true, false, false, ""},
  {M::About1,                               Top,                        "&About",                                                 "",                                0,  true,  true,  false, false, ""},
  {M::Help2,                                Top,                        "&Help",                                                  "",                                0,  true,  true,  true,  false, ""},
  {M::Help1,                                M::Help2,                   "Help&Info",                                              "use hints",                       0,  true,  true,  false, false, ""},
  {M::HelpFile1,                            M::Help2,                   "HelpFile",                                               "",                                0,  true,  false, false, false, "F1"},
  {M::UserGuide1,                           M::Help2,                   "&User guide",                                            "Open the user guide",             5,  true,  true,  false, false, ""},
};
// clang-format on

static_assert(std::size(Entries) == static_cast<std::size_t>(MenuItemCount),
              "every menu item has one entry");

}  // namespace

std::span<const MenuEntry> menuTable() { return Entries; }

const MenuEntry& menuEntry(MenuItem item) {
  for (const MenuEntry& e : Entries)
    if (e.item == item) return e;
  assert(false && "menu item without an entry");
  return Entries[0];
}

}  // namespace volmar
