// CSV import: any file either imports within the limits, with an ID and a
// place for every row, or is refused with a short message and leaves the
// workspace as it was; the reader over a file and over the same text in
// memory see the same records.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../bench/NullShell.h"
#include "FuzzInput.h"
#include "commands/Import.h"
#include "io/CsvReader.h"

using namespace volmar;

namespace {

// One file for every input, rewritten each time.
const std::string& scratchPath() {
  static const std::string path = [] {
    char name[] = "/tmp/volmar-fuzz-csv-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0) ::close(fd);
    return std::string(name);
  }();
  return path;
}

std::vector<std::vector<std::string>> records(const std::function<char(const std::function<bool(const io::CsvRecord&)>&)>& read) {
  std::vector<std::vector<std::string>> out;
  try {
    read([&](const io::CsvRecord& r) {
      out.push_back(r.fields);
      out.back().push_back(std::to_string(r.line));
      return true;
    });
  } catch (const io::CsvError& e) {
    out.push_back({"error", e.what()});
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const char separators[] = {0, ',', ';', '\t'};
  const char separator = separators[in.pick(0, 3)];
  const int decimal = in.pick(0, 2);
  const bool withId = in.pick(0, 1) == 1;
  const bool withCodes = in.pick(0, 1) == 1;
  const std::string text(in.rest());
  const std::string& path = scratchPath();
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    fuzz::require(f != nullptr, "scratch file opens");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  const auto fromFile = records([&](const auto& cb) { return io::readCsv(path, separator, cb, 1 << 24); });
  const auto fromText = records([&](const auto& cb) { return io::readCsvText(text, separator, cb); });
  fuzz::require(fromFile == fromText, "file and text readers agree");

  static auto ws = Workspace::create();
  static NullShell shell;
  Context ctx(*ws, shell);
  ws->NumCases = 1;
  ws->NumVars = 1;
  ws->DataMatrix(1, 1) = 7;
  CsvFormat format;
  format.separator = separator;
  if (decimal > 0) format.decimalComma = decimal == 2;
  try {
    const SurveyFile file = scanSurveyFile(path, format);
    ImportOptions o;
    if (withId && !file.variables.empty()) o.id = file.variables.front().name;
    o.variables = defaultImportVariables(file, o.id);
    if (withCodes) o.missingCodes = {"99", ".", "-9"};
    importSurveyData(ctx, file, o);
  } catch (const CommandError& e) {
    fuzz::require(std::string(e.what()).size() < 600, "refusals are short");
    fuzz::require(ws->NumCases == 1 && ws->NumVars == 1 && ws->DataMatrix(1, 1) == 7, "a refusal changes nothing");
    return 0;
  }
  fuzz::require(ws->NumCases >= 1 && ws->NumCases <= MaxCases, "cases within the limit");
  fuzz::require(ws->NumVars >= 1 && ws->NumVars <= MaxVars, "variables within the limit");
  for (int c = 1; c <= ws->NumCases; ++c)
    for (int v = 1; v <= ws->NumVars; ++v) fuzz::require(std::isfinite(ws->DataMatrix(c, v)), "values are finite");
  fuzz::require(ctx.names.ids.size() == ctx.names.caseOfRow.size(), "every row has an ID and a place");
  int last = 0;
  for (int c : ctx.names.caseOfRow) {
    fuzz::require(c == 0 || c == last + 1, "cases keep the rows' order");
    if (c) last = c;
  }
  fuzz::require(last == ws->NumCases, "every case comes from a row");
  return 0;
}
