#include "commands/DataReading.h"

#include <algorithm>

#include "core/NumberReader.h"

namespace volmar {

namespace {

// Reads up to numCases rows; `rowAt` gives the place of row i (1-based).
// Only separators after the last row add no row, and a row that the end of
// the text cuts short is not one: it is not counted, and the number of
// values it held goes to `shortRow` (0 when every row was whole).
template <typename RowFn>
int readRows(NumberReader& in, int numCases, int numVars, RowFn rowAt, int& shortRow) {
  shortRow = 0;
  int i = 1;
  while (i <= numCases && in.tokensLeft()) {
    float* row = rowAt(i);
    for (int v = 0; v < numVars; ++v) {
      if (!in.tokensLeft()) {
        shortRow = v;
        return i - 1;
      }
      row[v] = in.readFloat();
    }
    in.skipLine();
    ++i;
  }
  return i - 1;
}

std::string plural(long long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int readDataRows(std::string_view text, int numCases, int numVars, std::vector<float>& rows,
                 bool* numbersLeft, int* shortRow) {
  NumberReader in(text);
  const auto vars = static_cast<std::size_t>(std::max(numVars, 0));
  rows.clear();
  // Untouched pages of a large reservation cost nothing.
  rows.reserve(static_cast<std::size_t>(std::max(numCases, 0)) * vars);
  int cut = 0;
  const int read = readRows(in, numCases, numVars, [&](int i) {
    rows.resize(static_cast<std::size_t>(i) * vars);
    return rows.data() + static_cast<std::size_t>(i - 1) * vars;
  }, cut);
  // The values of a row cut short are no data.
  rows.resize(static_cast<std::size_t>(read) * vars);
  if (numbersLeft) *numbersLeft = read == numCases && in.tokensLeft();
  if (shortRow) *shortRow = cut;
  return read;
}

int readDataRows(Workspace& ws, std::string_view text) {
  NumberReader in(text);
  // Each row is read aside and goes to the matrix only when it is whole, so
  // that a row cut short leaves the matrix as it was.
  std::vector<float> row(static_cast<std::size_t>(std::max(ws.NumVars, 0)));
  int pending = 0;
  const auto place = [&] {
    if (pending > 0) std::copy(row.begin(), row.end(), ws.DataMatrix.row(pending));
  };
  int cut = 0;
  const int read = readRows(in, ws.NumCases, ws.NumVars, [&](int i) {
    place();
    pending = i;
    return row.data();
  }, cut);
  if (read == pending) place();
  return read;
}

std::string shortRowNote(int values, int numVars) {
  return "The last row held only " + std::to_string(values) + " of " + std::to_string(numVars) +
         " values and was left out.";
}

std::vector<std::string> dataFileNotes(std::string_view text, int numVars, int rowsRead,
                                       bool numbersLeft) {
  std::vector<std::string> notes;
  const std::size_t z = text.find('\x1a');
  if (z != std::string_view::npos) text = text.substr(0, z);
  // Count the numbers of every line that holds any.
  long long common = -1;  // the count all lines share so far; -2 when they differ
  long long count = 0;
  bool inToken = false;
  const auto endLine = [&] {
    if (count > 0) {
      if (common == -1) common = count;
      else if (common != count) common = -2;
    }
    count = 0;
  };
  for (const char ch : text) {
    if (ch == '\n') {
      endLine();
      inToken = false;
      continue;
    }
    const bool sep = static_cast<unsigned char>(ch) <= 32;
    if (!sep && !inToken) ++count;
    inToken = !sep;
  }
  endLine();
  if (common >= 1 && common != numVars)
    notes.push_back("The lines of this file hold " + plural(common, "number", "numbers") + " each; " +
                    plural(numVars, "variable was", "variables were") + " asked for.");
  if (numbersLeft)
    notes.push_back("The file holds more numbers after case " + std::to_string(rowsRead) +
                    ", the last of the " + plural(rowsRead, "case", "cases") +
                    " asked for; they were not read.");
  return notes;
}

}  // namespace volmar
