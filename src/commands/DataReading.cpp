#include "commands/DataReading.h"

#include "core/NumberReader.h"

namespace volmar {

int readDataRows(Workspace& ws, std::string_view text) {
  NumberReader in(text);
  const int vars = ws.NumVars;
  int i = 1;
  while (!in.eof() && i <= ws.NumCases) {
    float* row = ws.DataMatrix.row(i);
    for (int v = 0; v < vars; ++v) row[v] = in.readFloat();
    in.skipLine();
    ++i;
  }
  return i - 1;
}

}  // namespace volmar
