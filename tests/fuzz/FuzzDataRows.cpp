// Data row reader: what it accepts is finite, its count of rows matches the
// values it returns, each stands in the file as a token, and the workspace
// reader agrees with it; what it refuses gets a message of bounded length
// that starts as it must.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "commands/DataReading.h"
#include "core/NumberReader.h"

using namespace volmar;

namespace {

void checkRefusal(const std::exception& e) {
  const std::string what = e.what();
  fuzz::require(what.rfind("Invalid numeric input\r\nLine ", 0) == 0, "refusal starts with the two lines");
  fuzz::require(what.size() < 200, "refusal quotes a cut token");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const int cases = in.pick(1, 64);
  const int vars = in.pick(1, 12);
  const std::string_view text = in.rest();
  std::vector<float> rows;
  bool left = false;
  int n = 0;
  try {
    n = readDataRows(text, cases, vars, rows, &left);
  } catch (const InvalidNumber& e) {
    checkRefusal(e);
    return 0;
  } catch (const NumberOutOfRange& e) {
    checkRefusal(e);
    return 0;
  }
  fuzz::require(n >= 0 && n <= cases, "rows within the cases asked for");
  fuzz::require(rows.size() == static_cast<std::size_t>(n) * static_cast<std::size_t>(vars), "values match rows");
  for (const float v : rows) fuzz::require(std::isfinite(v), "accepted values are finite");
  fuzz::require(!left || n == cases, "numbers are left only after the last case");
  // Every value read stands in the file: the end invents none.
  std::size_t tokens = 0;
  bool inToken = false;
  for (const char ch : text.substr(0, text.find('\x1a'))) {
    const bool sep = static_cast<unsigned char>(ch) <= 32;
    tokens += !sep && !inToken;
    inToken = !sep;
  }
  fuzz::require(rows.size() <= tokens, "no value is made up at the end of the file");

  // The reader into the workspace gives the same rows, bit for bit.
  static auto ws = Workspace::create();
  ws->NumCases = cases;
  ws->NumVars = vars;
  const int m = readDataRows(*ws, text);
  fuzz::require(m == n, "both readers count the same rows");
  for (int i = 1; i <= n; ++i)
    fuzz::require(std::memcmp(ws->DataMatrix.row(i), rows.data() + (i - 1) * vars, sizeof(float) * vars) == 0,
                  "both readers read the same values");
  for (const auto& note : dataFileNotes(text, vars, n, left)) fuzz::require(note.size() < 200, "notes are short");
  return 0;
}
