#pragma once

#include <string_view>

#include "core/Workspace.h"

namespace volmar {

// Reads rows of NumVars numbers from the text of a data file into
// DataMatrix, until the text ends or NumCases rows are in, dropping the rest
// of the line after each row. Returns the number of rows read. Throws
// InvalidNumber at a token that is not a number; the rows read before it
// stay in the matrix.
int readDataRows(Workspace& ws, std::string_view text);

}  // namespace volmar
