// volmar-survey-reader: reads an SPSS (.sav, .zsav, .por) or Stata (.dta)
// file with ReadStat and writes what the import asks for to standard output.
//
//   volmar-survey-reader scan FILE
//     text lines, fields separated by tabs (tabs and line ends inside texts
//     become blanks):
//       rows    N
//       var     NAME  LABEL  number|text|date  MISSING
//       vlabel  VARIABLE-INDEX  VALUE  LABEL    (0-based variable index)
//       end
//   volmar-survey-reader read FILE ID COL,COL,...
//     0-based column indexes (ID -1 for none); then one record per row of
//     the file: the ID as a 32-bit length and its bytes, then one 64-bit
//     float per column, NaN for a missing value (system-missing, SPSS
//     user-missing values and ranges, Stata tagged missing values). The
//     text "end\n" closes the output.
// Exit status 0 when the whole file was read; 1 with the reason on standard
// error otherwise.
#include <readstat.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

std::string clean(const char* s) {
  std::string out = s ? s : "";
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return out;
}

bool endsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != tail[i]) return false;
  return true;
}

// Display formats of dates and times: such variables are no data.
bool isDateFormat(const char* format) {
  if (!format) return false;
  const std::string f = format;
  if (f.rfind("%t", 0) == 0 || f.rfind("%d", 0) == 0) return true;  // Stata
  for (const char* p : {"DATE", "ADATE", "EDATE", "JDATE", "SDATE", "QYR", "MOYR", "WKYR", "DATETIME", "TIME",
                        "DTIME", "WKDAY", "MONTH", "YMDHMS", "MTIME"})
    if (f.rfind(p, 0) == 0) return true;
  return false;
}

struct Variable {
  std::string name, label, labelSet;
  bool text = false, date = false;
  long missing = 0;
};

struct State {
  bool scan = true;
  long rows = 0;
  std::vector<Variable> vars;
  std::map<std::string, std::vector<std::pair<double, std::string>>> labelSets;
  // read mode
  int idColumn = -1;
  std::vector<int> columns;
  std::vector<int> slotOf;  // per variable: its place among the columns, -1 none
  std::vector<double> row;
  std::string id;
  int currentRow = -1;
  std::FILE* out = stdout;
};

void flushRow(State& s) {
  if (s.currentRow < 0) return;
  const auto len = static_cast<std::uint32_t>(s.id.size());
  std::fwrite(&len, sizeof len, 1, s.out);
  std::fwrite(s.id.data(), 1, s.id.size(), s.out);
  std::fwrite(s.row.data(), sizeof(double), s.row.size(), s.out);
  s.id.clear();
  for (double& v : s.row) v = std::numeric_limits<double>::quiet_NaN();
}

int onMetadata(readstat_metadata_t* m, void* ctx) {
  static_cast<State*>(ctx)->rows = readstat_get_row_count(m);
  return READSTAT_HANDLER_OK;
}

int onVariable(int index, readstat_variable_t* v, const char* labels, void* ctx) {
  auto& s = *static_cast<State*>(ctx);
  Variable var;
  var.name = clean(readstat_variable_get_name(v));
  var.label = clean(readstat_variable_get_label(v));
  var.labelSet = labels ? labels : "";
  var.text = readstat_variable_get_type_class(v) == READSTAT_TYPE_CLASS_STRING;
  var.date = !var.text && isDateFormat(readstat_variable_get_format(v));
  if (static_cast<std::size_t>(index) >= s.vars.size()) s.vars.resize(static_cast<std::size_t>(index) + 1);
  s.vars[static_cast<std::size_t>(index)] = var;
  if (!s.scan) {
    const bool wanted = index == s.idColumn ||
                        (static_cast<std::size_t>(index) < s.slotOf.size() && s.slotOf[static_cast<std::size_t>(index)] >= 0);
    if (!wanted) return READSTAT_HANDLER_SKIP_VARIABLE;
  }
  return READSTAT_HANDLER_OK;
}

int onValueLabel(const char* set, readstat_value_t value, const char* label, void* ctx) {
  auto& s = *static_cast<State*>(ctx);
  if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_NUMERIC && !readstat_value_is_missing(value, nullptr))
    s.labelSets[set ? set : ""].emplace_back(readstat_double_value(value), clean(label));
  return READSTAT_HANDLER_OK;
}

std::string idText(readstat_value_t value, readstat_variable_t* v) {
  if (readstat_value_is_missing(value, v)) return "";
  if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
    const char* t = readstat_string_value(value);
    return t ? t : "";
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", readstat_double_value(value));
  return buf;
}

int onValue(int obs, readstat_variable_t* v, readstat_value_t value, void* ctx) {
  auto& s = *static_cast<State*>(ctx);
  const int index = readstat_variable_get_index(v);
  if (s.scan) {
    if (readstat_value_is_missing(value, v) ||
        (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING &&
         (!readstat_string_value(value) || !*readstat_string_value(value))))
      ++s.vars[static_cast<std::size_t>(index)].missing;
    return READSTAT_HANDLER_OK;
  }
  if (obs != s.currentRow) {
    flushRow(s);
    s.currentRow = obs;
  }
  if (index == s.idColumn) s.id = idText(value, v);
  const int slot = static_cast<std::size_t>(index) < s.slotOf.size() ? s.slotOf[static_cast<std::size_t>(index)] : -1;
  if (slot >= 0 && readstat_value_type_class(value) == READSTAT_TYPE_CLASS_NUMERIC && !readstat_value_is_missing(value, v))
    s.row[static_cast<std::size_t>(slot)] = readstat_double_value(value);
  return READSTAT_HANDLER_OK;
}

readstat_error_t parse(readstat_parser_t* p, const std::string& path, State& s) {
  if (endsWith(path, ".dta")) return readstat_parse_dta(p, path.c_str(), &s);
  if (endsWith(path, ".por")) return readstat_parse_por(p, path.c_str(), &s);
  return readstat_parse_sav(p, path.c_str(), &s);  // .sav and .zsav
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || (std::strcmp(argv[1], "scan") != 0 && std::strcmp(argv[1], "read") != 0) ||
      (std::strcmp(argv[1], "read") == 0 && argc != 5)) {
    std::fprintf(stderr, "usage: volmar-survey-reader scan FILE | read FILE ID COL,COL,...\n");
    return 2;
  }
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  State s;
  s.scan = std::strcmp(argv[1], "scan") == 0;
  const std::string path = argv[2];
  if (!s.scan) {
    s.idColumn = std::atoi(argv[3]);
    for (const char* p = argv[4]; *p;) {
      char* end = nullptr;
      const long c = std::strtol(p, &end, 10);
      if (end == p || c < 0 || c > 100000) return 2;
      s.columns.push_back(static_cast<int>(c));
      p = *end == ',' ? end + 1 : end;
    }
    int maxCol = s.idColumn;
    for (int c : s.columns) maxCol = std::max(maxCol, c);
    s.slotOf.assign(static_cast<std::size_t>(maxCol) + 1, -1);
    for (std::size_t k = 0; k < s.columns.size(); ++k) s.slotOf[static_cast<std::size_t>(s.columns[k])] = static_cast<int>(k);
    s.row.assign(s.columns.size(), std::numeric_limits<double>::quiet_NaN());
  }
  readstat_parser_t* p = readstat_parser_init();
  readstat_set_metadata_handler(p, onMetadata);
  readstat_set_variable_handler(p, onVariable);
  readstat_set_value_label_handler(p, onValueLabel);
  readstat_set_value_handler(p, onValue);
  const readstat_error_t error = parse(p, path, s);
  readstat_parser_free(p);
  if (error != READSTAT_OK) {
    std::fprintf(stderr, "%s\n", readstat_error_message(error));
    return 1;
  }
  if (s.scan) {
    std::printf("rows\t%ld\n", s.rows);
    for (const Variable& v : s.vars)
      std::printf("var\t%s\t%s\t%s\t%ld\n", v.name.c_str(), v.label.c_str(),
                  v.text ? "text" : v.date ? "date" : "number", v.missing);
    for (std::size_t i = 0; i < s.vars.size(); ++i) {
      const auto set = s.labelSets.find(s.vars[i].labelSet);
      if (s.vars[i].labelSet.empty() || set == s.labelSets.end()) continue;
      for (const auto& [value, label] : set->second) std::printf("vlabel\t%zu\t%.17g\t%s\n", i, value, label.c_str());
    }
  } else {
    flushRow(s);
  }
  std::fputs("end\n", stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
