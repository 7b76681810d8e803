#include "commands/DataReading.h"

#include <algorithm>

#include "core/NumberReader.h"

namespace volmar {

namespace {

// Reads up to numCases rows; `rowAt` gives the place of row i (1-based).
template <typename RowFn>
int readRows(NumberReader& in, int numCases, int numVars, RowFn rowAt) {
  int i = 1;
  while (!in.eof() && i <= numCases) {
    float* row = rowAt(i);
    for (int v = 0; v < numVars; ++v) row[v] = in.readFloat();
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
                 bool* numbersLeft) {
  NumberReader in(text);
  const auto vars = static_cast<std::size_t>(std::max(numVars, 0));
  rows.clear();
  // Untouched pages of a large reservation cost nothing.
  rows.reserve(static_cast<std::size_t>(std::max(numCases, 0)) * vars);
  const int read = readRows(in, numCases, numVars, [&](int i) {
    rows.resize(static_cast<std::size_t>(i) * vars);
    return rows.data() + static_cast<std::size_t>(i - 1) * vars;
  });
  if (numbersLeft) *numbersLeft = read == numCases && in.tokensLeft();
  return read;
}

int readDataRows(Workspace& ws, std::string_view text) {
  NumberReader in(text);
  return readRows(in, ws.NumCases, ws.NumVars, [&](int i) { return ws.DataMatrix.row(i); });
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
