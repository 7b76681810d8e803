#include "commands/PrototypesTable.h"

#include <algorithm>

#include "core/NumberFormat.h"

namespace volmar {

std::vector<std::vector<std::string>> prototypesTableCells(const Workspace& ws) {
  // Counters beyond the arrays would index outside them; show what they hold.
  const int protos = std::clamp(ws.NumPrototypes, 0, MaxPrototypes);
  const int vars = std::clamp(ws.NumVars, 0, MaxVars);
  std::vector<std::vector<std::string>> cells(static_cast<std::size_t>(protos) + 1);
  auto& header = cells[0];
  header.reserve(static_cast<std::size_t>(vars) + 1);
  header.push_back("var#:");
  for (int v = 1; v <= vars; ++v) header.push_back(std::to_string(v));
  for (int p = 1; p <= protos; ++p) {
    auto& row = cells[static_cast<std::size_t>(p)];
    row.reserve(static_cast<std::size_t>(vars) + 1);
    row.push_back("type " + std::to_string(p));
    for (int v = 1; v <= vars; ++v) row.push_back(formatPicture(ws.Prototypes(p, v), "##0.0"));
  }
  return cells;
}

void prototypes1Click(Context& ctx) {
  auto cells = prototypesTableCells(ctx.ws);
  // Imported data: the variables' names in a row under the numbers.
  if (ctx.names.imported) {
    std::vector<std::string> names{"name:"};
    for (std::size_t v = 1; v < cells[0].size(); ++v) names.push_back(ctx.names.variable(static_cast<int>(v)));
    cells.insert(cells.begin() + 1, std::move(names));
  }
  ctx.shell.showPrototypesTable(cells);
}

}  // namespace volmar
