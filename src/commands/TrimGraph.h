#pragma once

#include "commands/Context.h"

namespace volmar {

// Analysis > "Trim &adjacency graph": asks for a cutoff c (a percentage of
// the cases); with c > 0 it backs the adjacency matrix up and cuts every
// edge whose statistical neighbourhood (from the last "stat. Neighborhood")
// lies below c, an edge at exactly c staying. Enables restoring. A cutoff
// of 0 or below, or a cancelled box, changes nothing; a text that is not a
// number ends the command with the conversion message.
void trimadjacencygraph1Click(Context& ctx);

// Analysis > "Rest&ore adjacency graph": the adjacency matrix as the last
// trim found it.
void restoreadjacencygraph1Click(Context& ctx);

}  // namespace volmar
