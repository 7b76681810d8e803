#include "io/CsvReader.h"

#include <csv.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace volmar::io {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

// Blanks around an unquoted field are kept: the number rules decide about
// them, and a tab may be the separator itself.
int noSpace(unsigned char) { return 0; }

// Feeds the parser one line at a time, so that every record knows the line
// it starts on, and collects the fields of the record in progress.
class Parser {
 public:
  Parser(char separator, const std::function<bool(const CsvRecord&)>& onRecord) : onRecord_(onRecord) {
    csv_init(&p_, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_delim(&p_, static_cast<unsigned char>(separator));
    csv_set_space_func(&p_, noSpace);
    record_.separator = separator;
  }
  ~Parser() { csv_free(&p_); }
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  bool stopped() const { return stopped_; }

  // One line of the file with its line end (the last may lack one).
  void line(std::string_view text) {
    ++line_;
    if (stopped_) return;
    if (between_) {
      // Empty lines (or lines of blanks) between records are no records.
      if (text.find_first_not_of(" \r\n") == std::string_view::npos) return;
      between_ = false;
      record_.line = line_;
    }
    if (csv_parse(&p_, text.data(), text.size(), onField, onEnd, this) != text.size())
      throw CsvError("Line " + std::to_string(line_) + " is not valid CSV: " + describe(csv_error(&p_)));
  }

  void finish() {
    if (stopped_) return;
    if (csv_fini(&p_, onField, onEnd, this) != 0)
      throw CsvError("Line " + std::to_string(record_.line) +
                     " is not valid CSV: a field in quotes is not closed before the end of the file");
  }

 private:
  static std::string describe(int error) {
    if (error == CSV_EPARSE)
      return "a quote inside a field must be written twice, and the field be put in quotes";
    if (error == CSV_ENOMEM || error == CSV_ETOOBIG) return "a field is too long";
    return csv_strerror(error);
  }

  static void onField(void* data, std::size_t len, void* self) {
    auto& me = *static_cast<Parser*>(self);
    if (me.stopped_) return;
    if (me.count_ == me.store_.size()) me.store_.emplace_back();
    me.store_[me.count_++].assign(static_cast<const char*>(data), len);
  }

  static void onEnd(int, void* self) {
    auto& me = *static_cast<Parser*>(self);
    if (me.stopped_) return;
    me.record_.fields.resize(me.count_);
    for (std::size_t i = 0; i < me.count_; ++i) me.record_.fields[i].swap(me.store_[i]);
    if (!me.onRecord_(me.record_)) me.stopped_ = true;
    for (std::size_t i = 0; i < me.count_; ++i) me.record_.fields[i].swap(me.store_[i]);
    me.count_ = 0;
    me.between_ = true;
  }

  csv_parser p_{};
  const std::function<bool(const CsvRecord&)>& onRecord_;
  std::vector<std::string> store_;
  std::size_t count_ = 0;
  CsvRecord record_;
  int line_ = 0;
  bool between_ = true;
  bool stopped_ = false;
};

// Splits a text into lines (each with its LF) and hands them to the parser;
// returns what is left after the last LF.
std::string_view feedLines(Parser& parser, std::string_view text) {
  while (!text.empty() && !parser.stopped()) {
    const std::size_t nl = text.find('\n');
    if (nl == std::string_view::npos) return text;
    parser.line(text.substr(0, nl + 1));
    text.remove_prefix(nl + 1);
  }
  return {};
}

std::string_view firstLine(std::string_view text) {
  const std::size_t nl = text.find('\n');
  return nl == std::string_view::npos ? text : text.substr(0, nl);
}

std::string systemReason(const std::string& path, const char* reason) {
  return "Cannot read file \"" + path + "\": " + reason;
}

}  // namespace

char detectSeparator(std::string_view header) {
  std::array<int, 3> counts{};
  bool quoted = false;
  for (char c : header) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    for (std::size_t k = 0; k < counts.size(); ++k)
      if (c == CsvSeparators[k]) ++counts[k];
  }
  std::size_t best = 0;
  for (std::size_t k = 1; k < counts.size(); ++k)
    if (counts[k] > counts[best]) best = k;
  return CsvSeparators[best];
}

char readCsvText(std::string_view text, char separator, const std::function<bool(const CsvRecord&)>& onRecord) {
  if (text.substr(0, Bom.size()) == Bom) text.remove_prefix(Bom.size());
  if (separator == 0) separator = detectSeparator(firstLine(text));
  Parser parser(separator, onRecord);
  const std::string_view rest = feedLines(parser, text);
  if (!rest.empty() && !parser.stopped()) parser.line(rest);
  parser.finish();
  return separator;
}

char readCsv(const std::string& path, char separator, const std::function<bool(const CsvRecord&)>& onRecord,
             std::size_t limit) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) throw CsvError(systemReason(path, std::strerror(errno)));
  if (!S_ISREG(st.st_mode)) throw CsvError(systemReason(path, "not a regular file"));
  if (static_cast<std::size_t>(st.st_size) > limit)
    throw CsvError(systemReason(path, ("larger than " + std::to_string(limit >> 20) + " MB").c_str()));
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) throw CsvError(systemReason(path, std::strerror(errno)));

  // The file goes through in pieces: only the line being parsed and the
  // record being built are held, never the whole text.
  constexpr std::size_t Piece = std::size_t{1} << 20;
  std::string buffer;
  std::unique_ptr<Parser> parser;
  std::size_t total = 0;
  bool first = true;
  for (;;) {
    const std::size_t kept = buffer.size();
    buffer.resize(kept + Piece);
    const std::size_t n = std::fread(buffer.data() + kept, 1, Piece, f.get());
    buffer.resize(kept + n);
    total += n;
    if (std::ferror(f.get())) throw CsvError(systemReason(path, std::strerror(errno)));
    if (total > limit)
      throw CsvError(systemReason(path, ("larger than " + std::to_string(limit >> 20) + " MB").c_str()));
    const bool atEnd = n == 0;
    std::string_view text = buffer;
    if (first) {
      // The first line decides the separator: wait until it is whole.
      if (!atEnd && text.find('\n') == std::string_view::npos) continue;
      if (text.substr(0, Bom.size()) == Bom) text.remove_prefix(Bom.size());
      if (separator == 0) separator = detectSeparator(firstLine(text));
      parser = std::make_unique<Parser>(separator, onRecord);
      first = false;
    }
    const std::string_view rest = feedLines(*parser, text);
    if (parser->stopped()) return separator;
    if (atEnd) {
      if (!rest.empty()) parser->line(rest);
      parser->finish();
      return separator;
    }
    buffer.assign(rest);
  }
}

std::string csvField(std::string_view text, char separator) {
  const bool quote = text.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string_view::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace volmar::io
