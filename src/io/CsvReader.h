#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace volmar::io {

// A CSV file that cannot be read: what() is the whole message.
class CsvError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The separators a CSV file may use.
inline constexpr char CsvSeparators[] = {',', ';', '\t'};

// The separator of a file whose first line is `header`: the one of ",", ";"
// and tab that occurs most often outside quotes there; "," when none does
// (a file of one column), and on a tie the first in that order.
char detectSeparator(std::string_view header);

// One record of the file: its fields (quotes removed, doubled quotes made
// single) and the line of the file on which it starts (1-based, the header
// being line 1).
struct CsvRecord {
  int line = 0;
  char separator = ',';
  std::vector<std::string> fields;
};

// Reads a CSV file record by record (RFC 4180: fields in double quotes may
// hold separators, quotes written twice and line ends). A UTF-8 byte order
// mark at the start is dropped; lines end in LF or CR LF; empty lines are
// skipped. `separator` 0 detects it from the first line. `onRecord` gets
// every record in file order, the header first, and returns false to stop
// reading. Throws CsvError when the file cannot be read (it names the file
// and the reason), is larger than `limit` bytes or is not valid CSV (it
// names the line). Returns the separator used.
char readCsv(const std::string& path, char separator, const std::function<bool(const CsvRecord&)>& onRecord,
             std::size_t limit);

// The same over a text in memory (no file, no size limit).
char readCsvText(std::string_view text, char separator, const std::function<bool(const CsvRecord&)>& onRecord);

// A field as a CSV file writes it: in double quotes (quotes doubled) when
// it holds the separator, a quote, a line end or leading or trailing blanks.
std::string csvField(std::string_view text, char separator);

}  // namespace volmar::io
