#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/Workspace.h"

namespace volmar {

// Reads rows of `numVars` numbers from the text of a data file, until no
// number is left or `numCases` rows are in, dropping the rest of the line
// after each row. Blank lines (or only blanks and tabs) after the last row
// add nothing; a last row that the end of the text cuts short is left out,
// and `shortRow`, when given, receives the number of values it held (0 when
// every row was whole). The values go to `rows`, row after row, `numVars`
// each; returns the number of rows read. Throws InvalidNumber or
// NumberOutOfRange at a token that cannot be read; `rows` then holds the
// rows before it. `numbersLeft`, when given, says whether numbers follow the
// last case.
int readDataRows(std::string_view text, int numCases, int numVars, std::vector<float>& rows,
                 bool* numbersLeft = nullptr, int* shortRow = nullptr);

// The same into DataMatrix with the workspace's NumCases and NumVars; the
// rows before a faulty token stay in the matrix, a row cut short or stopped
// by a faulty token leaves its place as it was.
int readDataRows(Workspace& ws, std::string_view text);

// The line that says a last row of `values` of `numVars` values was left out.
std::string shortRowNote(int values, int numVars);

// What a data file looks like beside the shape it was read with, for the
// notes after "N records read.": empty when nothing is worth saying.
// `rowsRead` rows of `numVars` numbers were read and `numbersLeft` says
// whether numbers followed the last case read.
std::vector<std::string> dataFileNotes(std::string_view text, int numVars, int rowsRead,
                                       bool numbersLeft);

}  // namespace volmar
