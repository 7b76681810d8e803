#pragma once

#include <string>
#include <vector>

#include "commands/Context.h"
#include "core/Workspace.h"

namespace volmar {

// Caption of the prototypes table window.
inline constexpr const char* PrototypesTableCaption = "Prototypes table";

// The cells of Show > "&Prototypes Table", row by row: row 0 is the fixed
// header row ("var#:" and the variable numbers 1..NumVars), then one row per
// current prototype ("type p" and its values in the picture "##0.0").
// cells[row][column]; always at least the one cell "var#:".
std::vector<std::vector<std::string>> prototypesTableCells(const Workspace& ws);

// Show > "&Prototypes Table": the modal window TPrTable on these cells.
void prototypes1Click(Context& ctx);

}  // namespace volmar
