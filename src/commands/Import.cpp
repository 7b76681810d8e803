#include "commands/Import.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>

#include "commands/FileIO.h"
#include "commands/Profiles.h"
#include "commands/SaveFiles.h"
#include "core/NumberFormat.h"
#include "core/NumberReader.h"
#include "io/CsvReader.h"
#include "io/SavWriter.h"
#include "io/SurveyReader.h"

namespace volmar {

namespace {

std::string_view trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string quoted(std::string_view s) { return quoteToken(s); }

bool endsWith(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
  return true;
}

// What a cell holds.
enum class Cell { Missing, Number, Text, OutOfRange };

// Reads cells by the program's number rules, with the decimal comma where
// the file uses it, and tells missing values apart: a blank cell, "NA" and
// the user's missing codes (numbers compared by value, other codes by text).
class CellReader {
 public:
  CellReader(bool decimalComma, const std::vector<std::string>& codes) : decimalComma_(decimalComma) {
    for (const std::string& c : codes) {
      const std::string_view t = trimmed(c);
      if (t.empty()) continue;
      if (const auto v = number(t)) codeValues_.push_back(static_cast<double>(*v));
      else codeTexts_.emplace_back(t);
    }
  }

  Cell read(std::string_view cell, float& value) const {
    const std::string_view t = trimmed(cell);
    if (t.empty() || t == "NA") return Cell::Missing;
    const auto v = number(t);
    if (!v) {
      if (std::find(codeTexts_.begin(), codeTexts_.end(), t) != codeTexts_.end()) return Cell::Missing;
      return isRealToken(decimalComma_ ? withPoint(t) : std::string(t)) ? Cell::OutOfRange : Cell::Text;
    }
    if (std::find(codeValues_.begin(), codeValues_.end(), static_cast<double>(*v)) != codeValues_.end())
      return Cell::Missing;
    if (std::fabs(*v) > static_cast<long double>(FLT_MAX)) return Cell::OutOfRange;
    value = static_cast<float>(*v);
    return Cell::Number;
  }

 private:
  static std::string withPoint(std::string_view t) {
    std::string s(t);
    std::replace(s.begin(), s.end(), ',', '.');
    return s;
  }

  std::optional<long double> number(std::string_view t) const {
    if (decimalComma_ && t.find(',') != std::string_view::npos) {
      // One decimal comma at most; "1,2,3" is no number.
      if (std::count(t.begin(), t.end(), ',') > 1 || t.find('.') != std::string_view::npos) return std::nullopt;
      return parseReal(withPoint(t));
    }
    return parseReal(t);
  }

  bool decimalComma_;
  std::vector<double> codeValues_;
  std::vector<std::string> codeTexts_;
};

std::string raggedMessage(int line, std::size_t fields, std::size_t header) {
  return "Line " + std::to_string(line) + " has " + std::to_string(fields) + " fields; the header line has " +
         std::to_string(header) + "." + LineBreak + "Nothing was imported.";
}

std::size_t indexOf(const SurveyFile& file, const std::string& name) {
  for (std::size_t i = 0; i < file.variables.size(); ++i)
    if (file.variables[i].name == name) return i;
  throw CommandError("The file has no variable " + quoted(name) + ".");
}

SurveyFile scanCsv(const std::string& path, const CsvFormat& format) {
  SurveyFile file;
  file.path = path;
  file.format = "CSV";
  bool header = true;
  std::size_t columns = 0;
  std::optional<CellReader> cells;
  try {
    file.separator = io::readCsv(
        path, format.separator,
        [&](const io::CsvRecord& r) {
          if (header) {
            header = false;
            columns = r.fields.size();
            for (std::size_t i = 0; i < columns; ++i) {
              SurveyVariable v;
              v.name = std::string(trimmed(r.fields[i]));
              if (v.name.empty()) v.name = "column" + std::to_string(i + 1);
              file.variables.push_back(std::move(v));
            }
            return true;
          }
          if (!cells) {
            // Known once the header has given the separator.
            file.decimalComma = format.decimalComma.value_or(r.separator != ',');
            cells.emplace(file.decimalComma, std::vector<std::string>{});
          }
          if (r.fields.size() != columns) throw CommandError(raggedMessage(r.line, r.fields.size(), columns));
          ++file.rows;
          for (std::size_t i = 0; i < columns; ++i) {
            SurveyVariable& v = file.variables[i];
            float x = 0;
            const Cell c = cells->read(r.fields[i], x);
            if (c == Cell::Missing) ++v.missing;
            if (c == Cell::Text && v.numeric) {
              v.numeric = false;
              v.type = "text";
              v.firstTextLine = r.line;
              v.firstText = std::string(r.fields[i]);
            }
          }
          return true;
        },
        MaxInputFileBytes);
  } catch (const io::CsvError& e) {
    throw CommandError(e.what());
  }
  if (!cells) file.decimalComma = format.decimalComma.value_or(file.separator != ',');
  if (file.decimalComma && file.separator == ',')
    throw CommandError("A file separated by \",\" cannot use the decimal comma.");
  // Names must tell the columns apart.
  std::map<std::string, int> seen;
  for (SurveyVariable& v : file.variables)
    if (const int n = ++seen[v.name]; n > 1) v.name += "_" + std::to_string(n);
  return file;
}

// The data read from the chosen columns: the complete cases, row by row.
struct ChosenData {
  std::vector<float> values;   // complete cases only, NumVars each
  std::vector<std::int32_t> subsample;
  DataNames names;
  int rows = 0;
  int complete = 0;
  std::vector<int> missingPerVariable;
  std::vector<int> lineOfRow;
};

std::string valueMessage(int line, const std::string& variable, std::string_view value, const char* what) {
  return "Line " + std::to_string(line) + ": " + quoted(trimmed(value)) + " in the variable " + quoted(variable) +
         " " + what + "." + LineBreak + "Nothing was imported.";
}

ChosenData readCsvColumns(const SurveyFile& file, const ImportOptions& o, const std::vector<std::size_t>& cols,
                          std::optional<std::size_t> idCol, std::optional<std::size_t> subCol) {
  ChosenData d;
  const CellReader cells(file.decimalComma, o.missingCodes);
  const std::size_t nv = cols.size();
  d.missingPerVariable.assign(nv, 0);
  d.values.reserve(std::min<std::size_t>(static_cast<std::size_t>(file.rows), MaxCases) * nv);
  std::vector<float> row(nv);
  bool header = true;
  try {
    io::readCsv(
        file.path, file.separator,
        [&](const io::CsvRecord& r) {
          if (header) {
            header = false;
            return true;
          }
          if (r.fields.size() != file.variables.size())
            throw CommandError(raggedMessage(r.line, r.fields.size(), file.variables.size()));
          ++d.rows;
          d.lineOfRow.push_back(r.line);
          if (idCol) d.names.ids.emplace_back(trimmed(r.fields[*idCol]));
          bool complete = true;
          for (std::size_t k = 0; k < nv; ++k) {
            const std::string& cell = r.fields[cols[k]];
            switch (cells.read(cell, row[k])) {
              case Cell::Missing:
                complete = false;
                ++d.missingPerVariable[k];
                break;
              case Cell::Text:
                throw CommandError(valueMessage(r.line, file.variables[cols[k]].name, cell,
                                                "is neither a number nor a missing code"));
              case Cell::OutOfRange:
                throw CommandError(valueMessage(r.line, file.variables[cols[k]].name, cell, "is out of range"));
              case Cell::Number:
                break;
            }
          }
          std::int32_t group = 0;
          if (subCol) {
            const std::string& cell = r.fields[*subCol];
            float s = 0;
            const Cell c = cells.read(cell, s);
            if (c == Cell::Missing) {
              complete = false;
            } else if (c != Cell::Number || s < 1 || s > MaxBlocks || s != std::floor(s)) {
              throw CommandError(valueMessage(r.line, o.subsamples, cell,
                                              "is no subsample number; subsample numbers must be whole numbers "
                                              "from 1 to 20"));
            } else {
              group = static_cast<std::int32_t>(s);
            }
          }
          if (!complete) {
            d.names.caseOfRow.push_back(0);
            return true;
          }
          ++d.complete;
          d.names.caseOfRow.push_back(d.complete);
          // Beyond the limit only the count goes on: the import is refused.
          if (d.complete <= MaxCases) {
            d.values.insert(d.values.end(), row.begin(), row.end());
            if (subCol) d.subsample.push_back(group);
          }
          return true;
        },
        MaxInputFileBytes);
  } catch (const io::CsvError& e) {
    throw CommandError(e.what());
  }
  return d;
}

bool isReaderFormat(const std::string& path) {
  return endsWith(path, ".sav") || endsWith(path, ".zsav") || endsWith(path, ".por") || endsWith(path, ".dta");
}

std::vector<std::string_view> splitTabs(std::string_view line) {
  std::vector<std::string_view> f;
  for (;;) {
    const std::size_t t = line.find('\t');
    f.push_back(line.substr(0, t));
    if (t == std::string_view::npos) return f;
    line.remove_prefix(t + 1);
  }
}

SurveyFile scanWithReader(const std::string& path) {
  SurveyFile file;
  file.path = path;
  file.format = endsWith(path, ".dta") ? "Stata" : "SPSS";
  std::string text;
  try {
    io::runSurveyReader({"scan", path}, "\"" + path + "\"", [&](std::string_view piece) {
      if (text.size() + piece.size() > (std::size_t{64} << 20)) throw CommandError("The file describes too many variables.");
      text.append(piece);
    });
  } catch (const io::SurveyReaderError& e) {
    throw CommandError(e.what());
  }
  bool ended = false;
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t nl = rest.find('\n');
    const std::string_view line = rest.substr(0, nl);
    rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
    const auto f = splitTabs(line);
    if (f[0] == "rows" && f.size() == 2) {
      file.rows = parseInteger(f[1]).value_or(0);
    } else if (f[0] == "var" && f.size() == 5) {
      SurveyVariable v;
      v.name = std::string(f[1]);
      v.label = std::string(f[2]);
      v.type = std::string(f[3]);
      v.numeric = v.type == "number";
      v.missing = parseInteger(f[4]).value_or(0);
      file.variables.push_back(std::move(v));
    } else if (f[0] == "vlabel" && f.size() == 4) {
      const auto i = parseInteger(f[1]);
      const auto value = parseReal(f[2]);
      if (i && value && *i >= 0 && static_cast<std::size_t>(*i) < file.variables.size())
        file.variables[static_cast<std::size_t>(*i)].valueLabels.emplace_back(static_cast<double>(*value), std::string(f[3]));
    } else if (f[0] == "end") {
      ended = true;
    }
  }
  if (!ended) throw CommandError("The file reader gave an incomplete answer for \"" + path + "\".");
  return file;
}

// The chosen columns through the reader: the same rules as for CSV, with the
// case number where CSV names the line.
ChosenData readWithReader(const SurveyFile& file, const ImportOptions& o, const std::vector<std::size_t>& cols,
                          std::optional<std::size_t> idCol, std::optional<std::size_t> subCol) {
  for (std::size_t c : cols)
    if (!file.variables[c].numeric)
      throw CommandError("The variable " + quoted(file.variables[c].name) + " holds " +
                         (file.variables[c].type == "date" ? "dates" : "text") + " and cannot be data.");
  if (subCol && !file.variables[*subCol].numeric)
    throw CommandError("The variable " + quoted(o.subsamples) + " holds no numbers and cannot give subsamples.");
  std::vector<double> codes;
  for (const std::string& c : o.missingCodes)
    if (const auto v = parseRealEntry(c)) codes.push_back(static_cast<double>(*v));
  std::vector<std::size_t> asked = cols;
  if (subCol) asked.push_back(*subCol);
  std::string list;
  for (std::size_t c : asked) list += (list.empty() ? "" : ",") + std::to_string(c);
  ChosenData d;
  const std::size_t nv = cols.size();
  d.missingPerVariable.assign(nv, 0);
  std::vector<double> row(asked.size());
  std::string pending;
  bool ended = false;
  auto takeRow = [&](std::string id) {
    ++d.rows;
    d.lineOfRow.push_back(d.rows);
    if (idCol) d.names.ids.push_back(std::move(id));
    bool complete = true;
    std::vector<float> values(nv);
    for (std::size_t k = 0; k < asked.size(); ++k) {
      const double v = row[k];
      const bool missing = std::isnan(v) || std::find(codes.begin(), codes.end(), v) != codes.end();
      const std::string& name = file.variables[asked[k]].name;
      if (k < nv) {
        if (missing) {
          complete = false;
          ++d.missingPerVariable[k];
        } else if (std::fabs(v) > FLT_MAX) {
          throw CommandError("Case " + std::to_string(d.rows) + ": the value of " + quoted(name) +
                             " is out of range." + LineBreak + "Nothing was imported.");
        } else {
          values[k] = static_cast<float>(v);
        }
      } else if (missing) {
        complete = false;
      } else if (v < 1 || v > MaxBlocks || v != std::floor(v)) {
        throw CommandError("Case " + std::to_string(d.rows) + ": " + quoted(formatGeneral(v)) + " in the variable " +
                           quoted(name) + " is no subsample number; subsample numbers must be whole numbers from 1 to 20." +
                           LineBreak + "Nothing was imported.");
      }
    }
    if (!complete) {
      d.names.caseOfRow.push_back(0);
      return;
    }
    ++d.complete;
    d.names.caseOfRow.push_back(d.complete);
    if (d.complete <= MaxCases) {
      d.values.insert(d.values.end(), values.begin(), values.end());
      if (subCol) d.subsample.push_back(static_cast<std::int32_t>(row.back()));
    }
  };
  const std::size_t rowBytes = asked.size() * sizeof(double);
  try {
    io::runSurveyReader(
        {"read", file.path, idCol ? std::to_string(*idCol) : "-1", list}, "\"" + file.path + "\"",
        [&](std::string_view piece) {
          pending.append(piece);
          std::size_t pos = 0;
          for (;;) {
            if (pending.size() - pos >= 4 && pending.compare(pos, 4, "end\n") == 0 && pending.size() - pos == 4) {
              ended = true;
              pos += 4;
              break;
            }
            if (pending.size() - pos < 4) break;
            std::uint32_t len = 0;
            std::memcpy(&len, pending.data() + pos, 4);
            if (len > (1u << 20)) throw CommandError("The file reader gave a damaged answer.");
            if (pending.size() - pos < 4 + len + rowBytes) break;
            std::string id = pending.substr(pos + 4, len);
            std::memcpy(row.data(), pending.data() + pos + 4 + len, rowBytes);
            pos += 4 + len + rowBytes;
            takeRow(std::move(id));
          }
          pending.erase(0, pos);
        });
  } catch (const io::SurveyReaderError& e) {
    throw CommandError(e.what());
  }
  if (!ended || !pending.empty()) throw CommandError("The file reader gave an incomplete answer for " + quoted(file.path) + ".");
  return d;
}

// k-blocks data: a respondent's rows stand together (measurements within
// cases) or at the same place in every block (cases within measurements).
// Leaving out single rows would shift every later row into another
// respondent or block, so a respondent missing any value is left out with
// all of their rows, and the rows kept keep the layout. Returns the number
// of respondents left out.
int leaveOutWholeRespondents(ChosenData& d, int blockSize, bool caseFirst, std::size_t nv) {
  if (blockSize <= 1 || d.complete == d.rows) return 0;
  // Beyond the case limit the values were not kept: the import is refused.
  if (d.complete > MaxCases) return 0;
  if (d.rows % blockSize != 0)
    throw CommandError("The file's " + std::to_string(d.rows) + " rows are no whole number of blocks of " +
                       std::to_string(blockSize) + ", so the respondents with missing values cannot be left out " +
                       "with all their rows." + LineBreak + "Nothing was imported.");
  const int respondents = d.rows / blockSize;
  auto respondentOf = [&](int row) { return caseFirst ? row / blockSize : row % respondents; };
  std::vector<char> whole(static_cast<std::size_t>(respondents), 1);
  for (int row = 0; row < d.rows; ++row)
    if (d.names.caseOfRow[static_cast<std::size_t>(row)] == 0) whole[static_cast<std::size_t>(respondentOf(row))] = 0;
  std::vector<float> kept;
  kept.reserve(d.values.size());
  int cases = 0;
  for (int row = 0; row < d.rows; ++row) {
    int& c = d.names.caseOfRow[static_cast<std::size_t>(row)];
    if (c == 0) continue;
    if (!whole[static_cast<std::size_t>(respondentOf(row))]) {
      c = 0;
      continue;
    }
    const auto from = d.values.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(c - 1) * nv);
    kept.insert(kept.end(), from, from + static_cast<std::ptrdiff_t>(nv));
    c = ++cases;
  }
  d.values = std::move(kept);
  d.complete = cases;
  return respondents - static_cast<int>(std::count(whole.begin(), whole.end(), 1));
}

std::string plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::vector<std::string> defaultImportVariables(const SurveyFile& file, const std::string& id) {
  std::vector<std::string> names;
  for (const SurveyVariable& v : file.variables)
    if (v.numeric && v.name != id && static_cast<int>(names.size()) < MaxImportVariables) names.push_back(v.name);
  return names;
}

SurveyFile scanSurveyFile(const std::string& path, const CsvFormat& format) {
  if (isReaderFormat(path)) return scanWithReader(path);
  return scanCsv(path, format);
}

void importSurveyData(Context& ctx, const SurveyFile& file, const ImportOptions& o) {
  Shell& sh = ctx.shell;
  Workspace& ws = ctx.ws;
  // The choice first: everything it names must be in the file.
  if (o.variables.empty()) throw CommandError("Choose at least one variable to import.");
  if (static_cast<int>(o.variables.size()) > MaxImportVariables)
    throw CommandError("At most " + std::to_string(MaxImportVariables) + " variables can be imported; " +
                       std::to_string(o.variables.size()) + " were chosen.");
  std::vector<std::size_t> cols;
  for (const std::string& name : o.variables) {
    const std::size_t c = indexOf(file, name);
    if (std::find(cols.begin(), cols.end(), c) != cols.end())
      throw CommandError("The variable " + quoted(name) + " is chosen twice.");
    if (name == o.id) throw CommandError(quoted(name) + " is the ID and cannot also be a data variable.");
    if (name == o.subsamples)
      throw CommandError(quoted(name) + " gives the subsamples and cannot also be a data variable.");
    cols.push_back(c);
  }
  std::optional<std::size_t> idCol, subCol;
  if (!o.id.empty()) idCol = indexOf(file, o.id);
  if (!o.subsamples.empty()) subCol = indexOf(file, o.subsamples);
  if (o.kBlocks && !subCol.has_value() && (o.blockSize < 1 || o.blockSize > MaxBlocks))
    throw CommandError("The block size must be from 1 to " + std::to_string(MaxBlocks) + ".");
  if (o.kBlocks && subCol) throw CommandError("Data cannot be k-blocks and k-samples at once.");

  sh.setStatus("Import data...");
  ChosenData d = file.format == "CSV" ? readCsvColumns(file, o, cols, idCol, subCol)
                                      : readWithReader(file, o, cols, idCol, subCol);
  const int respondentsLeftOut = o.kBlocks ? leaveOutWholeRespondents(d, o.blockSize, o.caseFirst, cols.size()) : 0;
  if (d.rows == 0)
    throw CommandError(std::string("The file holds no data.") + LineBreak +
                       "Import a file with a header line and at least one row of values.");
  if (d.complete == 0)
    throw CommandError("No case is complete: every row lacks a value of the chosen variables." +
                       std::string(LineBreak) + "Nothing was imported.");
  if (d.complete > MaxCases)
    throw CommandError("The file holds " + std::to_string(d.complete) + " complete cases; at most " +
                       std::to_string(MaxCases) + " can be imported." + LineBreak +
                       "Nothing was imported. Cut the file into parts of at most " + std::to_string(MaxCases) +
                       " cases (for example by region or wave) and import them one by one.");

  // Everything is read: now the workspace takes it.
  const auto nv = static_cast<int>(cols.size());
  ws.NumCases = d.complete;
  ws.NumVars = nv;
  ws.KBlocks = o.kBlocks;
  ws.KSamples = subCol.has_value();
  ws.BlockSize = o.kBlocks ? o.blockSize : 1;
  ws.CaseFirst = o.kBlocks ? o.caseFirst : ws.CaseFirst;
  for (int c = 1; c <= d.complete; ++c) {
    std::copy_n(d.values.data() + static_cast<std::size_t>(c - 1) * cols.size(), cols.size(), ws.DataMatrix.row(c));
    if (subCol) ws.SubsampleOf[c] = d.subsample[static_cast<std::size_t>(c - 1)];
  }
  // Labels of earlier data say nothing about these cases.
  ws.LabelsPrototypes = 0;
  ws.LabelsReplications = 0;
  d.names.imported = true;
  d.names.idName = o.id.empty() ? "row" : o.id;
  if (!idCol)
    for (int r = 1; r <= d.rows; ++r) d.names.ids.push_back(std::to_string(r));
  for (std::size_t c : cols) d.names.variables.push_back(file.variables[c].name);

  // The report: cases read and left out, and the IDs' troubles.
  const int left = d.rows - d.complete;
  std::string report = plural(d.complete, "case", "cases") + " read, " + std::to_string(left) +
                       " left out for missing values (" + plural(d.rows, "row", "rows") + " in the file).";
  if (left > 0) {
    std::vector<std::size_t> order(cols.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return d.missingPerVariable[a] > d.missingPerVariable[b]; });
    std::string most;
    for (std::size_t k = 0; k < order.size() && k < 3 && d.missingPerVariable[order[k]] > 0; ++k)
      most += (most.empty() ? "" : ", ") + d.names.variables[order[k]] + " (" +
              std::to_string(d.missingPerVariable[order[k]]) + ")";
    if (!most.empty()) report += LineBreak + std::string("Missing most often: ") + most + ".";
  }
  if (respondentsLeftOut > 0)
    report += LineBreak + std::string("Blocks of ") + std::to_string(o.blockSize) + ": " +
              plural(respondentsLeftOut, "respondent", "respondents") + " with a missing value " +
              (respondentsLeftOut == 1 ? "was" : "were") + " left out with all their rows.";
  sh.message(report);
  if (idCol) {
    std::unordered_map<std::string_view, int> firstRow;
    int repeats = 0, blanks = 0;
    const std::string where = file.format == "CSV" ? "line" : "case";
    std::string firstRepeat, firstBlank;
    for (int r = 0; r < d.rows; ++r) {
      const std::string& id = d.names.ids[static_cast<std::size_t>(r)];
      const int line = d.lineOfRow[static_cast<std::size_t>(r)];
      if (id.empty()) {
        if (blanks++ == 0) firstBlank = where + " " + std::to_string(line);
        continue;
      }
      const auto [it, fresh] = firstRow.emplace(id, line);
      if (!fresh && repeats++ == 0)
        firstRepeat = "The ID " + quoted(id) + " of " + where + " " + std::to_string(line) + " repeats that of " + where + " " +
                      std::to_string(it->second) + ".";
    }
    if (repeats > 0)
      sh.message(firstRepeat + LineBreak + plural(repeats, "row repeats", "rows repeat") +
                 " an earlier ID: segments cannot be merged back by " + quoted(o.id) + " alone.");
    if (blanks > 0)
      sh.message(plural(blanks, "row has", "rows have") + " no ID (the first on " + firstBlank + ").");
  }
  if (ws.NumCases % ws.BlockSize != 0)
    sh.message(std::string("#ofVars modulo BlockSize must be 0!") + LineBreak + "Repeat input.");
  ctx.names = std::move(d.names);
  sh.enableMenu(MenuItem::Parameterize1, true);
  // The segments held belong to the data before.
  enableSegmentItems(sh, false);
  sh.setStatus("Done.");
}

void import1Click(Context& ctx, const CsvFormat& format, const ImportChooser& choose) {
  Shell& sh = ctx.shell;
  sh.setStatus("Import data...");
  if (!sh.executeOpenDialog(ctx.importDialog)) {
    sh.setStatus("Done.");
    return;
  }
  const SurveyFile file = scanSurveyFile(ctx.importDialog.fileName, format);
  const auto options = choose(file);
  if (!options) {
    sh.setStatus("Done.");
    return;
  }
  importSurveyData(ctx, file, *options);
}

std::string segmentsCsvText(const Context& ctx) {
  const Workspace& ws = ctx.ws;
  const DataNames& names = ctx.names;
  const int reps = std::clamp(ws.LabelsReplications, 0, MaxReplications);
  const int cases = std::clamp(ws.NumCases, 0, MaxCases);
  std::string text = io::csvField(names.idHeading(), ',');
  for (int r = 1; r <= reps; ++r) text += reps == 1 ? ",segment" : ",segment_r" + std::to_string(r);
  text += "\r\n";
  auto caseRow = [&](int c, const std::string& id) {
    text += io::csvField(id, ',');
    for (int r = 1; r <= reps; ++r) {
      text += ',';
      if (c >= 1 && c <= cases) text += std::to_string(ws.ClassLabels(c, r));
    }
    text += "\r\n";
  };
  if (names.imported) {
    for (std::size_t row = 0; row < names.ids.size(); ++row) caseRow(names.caseOfRow[row], names.ids[row]);
  } else {
    for (int c = 1; c <= cases; ++c) caseRow(c, std::to_string(c));
  }
  return text;
}

std::string segmentsSavBytes(const Context& ctx) {
  const Workspace& ws = ctx.ws;
  const DataNames& names = ctx.names;
  io::SegmentsTable t;
  t.idName = names.idHeading();
  t.prototypes = std::clamp(ws.LabelsPrototypes, 0, MaxPrototypes);
  t.replications = std::clamp(ws.LabelsReplications, 0, MaxReplications);
  const int cases = std::clamp(ws.NumCases, 0, MaxCases);
  auto add = [&](int c, const std::string& id) {
    t.ids.push_back(id);
    std::vector<int> labels(static_cast<std::size_t>(t.replications), 0);
    if (c >= 1 && c <= cases)
      for (int r = 1; r <= t.replications; ++r) labels[static_cast<std::size_t>(r - 1)] = ws.ClassLabels(c, r);
    t.labels.push_back(std::move(labels));
  };
  if (names.imported) {
    for (std::size_t row = 0; row < names.ids.size(); ++row) add(names.caseOfRow[row], names.ids[row]);
  } else {
    for (int c = 1; c <= cases; ++c) add(c, std::to_string(c));
  }
  try {
    return io::segmentsSavBytes(t);
  } catch (const io::SavWriteError& e) {
    throw CommandError(e.what());
  }
}

void segmentswithIDs1Click(Context& ctx) {
  Shell& sh = ctx.shell;
  if (ctx.ws.LabelsPrototypes < 1 || ctx.ws.LabelsReplications < 1 || !ctx.names.labelledHere)
    throw CommandError(std::string("There are no segments to save yet.") + LineBreak +
                       "Train (or recall) on the data first.");
  const auto choice = chooseSaveFile(sh, ctx.segmentsDialog, "csv", "*.csv", 1);
  if (!choice) return;
  sh.setStatus("Save segments...");
  const bool sav = endsWith(choice->path, ".sav");
  if (!writeChosenFile(sh, ctx.segmentsDialog, *choice, sav ? segmentsSavBytes(ctx) : segmentsCsvText(ctx))) return;
  sh.message("Segments with IDs written.");
  sh.setStatus("Done.");
}

}  // namespace volmar
