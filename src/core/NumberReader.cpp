#include "core/NumberReader.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace volmar {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Powers of ten that long double holds exactly (5^27 < 2^64).
constexpr int MaxExactPow10 = 27;
long double exactPow10(int k) {
  static const auto table = [] {
    std::array<long double, MaxExactPow10 + 1> t{};
    long double v = 1;
    for (int i = 0; i <= MaxExactPow10; ++i) {
      t[static_cast<std::size_t>(i)] = v;
      v *= 10;
    }
    return t;
  }();
  return table[static_cast<std::size_t>(k)];
}

}  // namespace

namespace {

// A token of the real grammar taken apart: value = mant * 10^scale, where
// `lost` says that nonzero digits beyond the 19 significant ones that fit
// into mant were dropped.
struct DecimalToken {
  bool neg = false;
  std::uint64_t mant = 0;
  long scale = 0;
  bool lost = false;
};

std::optional<DecimalToken> decompose(std::string_view tok) {
  DecimalToken d;
  std::size_t i = 0;
  const std::size_t n = tok.size();
  if (i < n && (tok[i] == '+' || tok[i] == '-')) d.neg = tok[i++] == '-';
  int sigDigits = 0;  // significant digits taken into mant
  int dropped = 0;    // integer digits that did not fit (scale up)
  int fracScale = 0;  // fraction digits taken into mant
  int digits = 0;
  for (; i < n && isDigit(tok[i]); ++i, ++digits) {
    if (sigDigits < 19) {
      d.mant = d.mant * 10 + static_cast<unsigned>(tok[i] - '0');
      if (d.mant != 0) ++sigDigits;
    } else {
      ++dropped;
      if (tok[i] != '0') d.lost = true;
    }
  }
  if (i < n && tok[i] == '.') {
    ++i;
    for (; i < n && isDigit(tok[i]); ++i, ++digits) {
      if (sigDigits < 19) {
        d.mant = d.mant * 10 + static_cast<unsigned>(tok[i] - '0');
        if (d.mant != 0) ++sigDigits;
        ++fracScale;
      } else if (tok[i] != '0') {
        d.lost = true;
      }
    }
  }
  if (digits == 0) return std::nullopt;
  long exp10 = 0;
  if (i < n && (tok[i] == 'e' || tok[i] == 'E')) {
    ++i;
    bool eneg = false;
    if (i < n && (tok[i] == '+' || tok[i] == '-')) eneg = tok[i++] == '-';
    if (i >= n || !isDigit(tok[i])) return std::nullopt;
    for (; i < n && isDigit(tok[i]); ++i)
      if (exp10 < 100000) exp10 = exp10 * 10 + (tok[i] - '0');
    if (eneg) exp10 = -exp10;
  }
  if (i != n) return std::nullopt;
  d.scale = exp10 + dropped - fracScale;
  return d;
}

// The value of a well-formed token at extended precision; nothing when it
// is beyond the extended range. Values below that range are 0.
std::optional<long double> toLongDouble(const DecimalToken& d, std::string_view tok) {
  if (d.mant == 0) return d.neg ? -0.0L : 0.0L;
  if (!d.lost && d.scale >= -MaxExactPow10 && d.scale <= MaxExactPow10) {
    // Both operands exact: one correctly rounded operation.
    const long double m = static_cast<long double>(d.mant);
    const long double v = d.scale >= 0 ? m * exactPow10(static_cast<int>(d.scale))
                                       : m / exactPow10(static_cast<int>(-d.scale));
    return d.neg ? -v : v;
  }
  // Rare: long mantissas or large exponents. from_chars is exact and does
  // not depend on the locale.
  std::string s(tok.substr(tok[0] == '+' ? 1 : 0));
  long double r = 0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), r);
  if (res.ec == std::errc::result_out_of_range) {
    // Beyond the extended range one way or the other: the power of ten of
    // the leading digit says which.
    int mantDigits = 0;
    for (std::uint64_t m = d.mant; m != 0; m /= 10) ++mantDigits;
    if (d.scale + mantDigits - 1 < 0) return d.neg ? -0.0L : 0.0L;
    return std::nullopt;
  }
  if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(r)) return std::nullopt;
  return r;
}

// The 32-bit float that the extended conversion followed by rounding to
// float gives, found without the slow extended division where that is
// certain to give the same float: the double quotient q is within half a
// double unit of the exact value, and the extended value within half an
// extended unit, so both round to the same float unless q lies within a
// couple of double units of a midpoint between two floats.
std::optional<float> fastFloat(const DecimalToken& d) {
  constexpr std::uint64_t Exact53 = std::uint64_t{1} << 53;
  if (d.lost || d.mant >= Exact53 || d.scale < -22 || d.scale > 22) return std::nullopt;
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const double m = static_cast<double>(d.mant);
  const double q = d.scale >= 0 ? m * kPow10[d.scale] : m / kPow10[-d.scale];
  if (q == 0) return d.neg ? -0.0f : 0.0f;
  // Normal floats only: there a float keeps 24 of the double's 53 bits.
  if (!(q >= 0x1p-126 && q < 0x1p127)) return std::nullopt;
  std::uint64_t bits;
  std::memcpy(&bits, &q, sizeof bits);
  const std::int64_t low = static_cast<std::int64_t>(bits & ((std::uint64_t{1} << 29) - 1));
  const std::int64_t half = std::int64_t{1} << 28;
  if (low - half >= -2 && low - half <= 2) return std::nullopt;
  const float f = static_cast<float>(q);
  return d.neg ? -f : f;
}

}  // namespace

std::optional<long double> parseReal(std::string_view tok) {
  const auto d = decompose(tok);
  if (!d) return std::nullopt;
  return toLongDouble(*d, tok);
}

bool isRealToken(std::string_view tok) { return decompose(tok).has_value(); }

bool isIntegerToken(std::string_view tok) {
  std::size_t i = 0;
  if (i < tok.size() && (tok[i] == '+' || tok[i] == '-')) ++i;
  if (i >= tok.size()) return false;
  for (; i < tok.size(); ++i)
    if (!isDigit(tok[i])) return false;
  return true;
}

std::optional<std::int32_t> parseInteger(std::string_view tok) {
  std::size_t i = 0;
  bool neg = false;
  if (i < tok.size() && (tok[i] == '+' || tok[i] == '-')) neg = tok[i++] == '-';
  if (i >= tok.size()) return std::nullopt;
  std::int64_t v = 0;
  for (; i < tok.size(); ++i) {
    if (!isDigit(tok[i])) return std::nullopt;
    v = v * 10 + (tok[i] - '0');
    if (v > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) return std::nullopt;
  }
  if (neg) v = -v;
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(v);
}

namespace {
std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}
}  // namespace

std::optional<long double> parseRealEntry(std::string_view text) { return parseReal(trimBlanks(text)); }
std::optional<std::int32_t> parseIntegerEntry(std::string_view text) {
  return parseInteger(trimBlanks(text));
}
bool isRealEntry(std::string_view text) { return isRealToken(trimBlanks(text)); }
bool isIntegerEntry(std::string_view text) { return isIntegerToken(trimBlanks(text)); }

std::string quoteToken(std::string_view token) {
  if (token.size() <= QuotedTokenLength) return "'" + std::string(token) + "'";
  std::size_t cut = QuotedTokenLength;
  // Step back over UTF-8 continuation bytes so no character is split.
  while (cut > 0 && (static_cast<unsigned char>(token[cut]) & 0xC0) == 0x80) --cut;
  return "'" + std::string(token.substr(0, cut)) + "...'";
}

namespace {
std::string lineText(int line) { return "Line " + std::to_string(line) + ": "; }
constexpr const char* BeyondRange = " is beyond the range of the values that can be held.";
}  // namespace

InvalidNumber::InvalidNumber(int line, std::string_view token)
    : std::runtime_error("Invalid numeric input\r\n" + lineText(line) + quoteToken(token) +
                         " is not a number.") {}

NumberOutOfRange::NumberOutOfRange(std::string_view token)
    : std::runtime_error("Invalid numeric input\r\n" + quoteToken(token) + BeyondRange) {}

NumberOutOfRange::NumberOutOfRange(int line, std::string_view token)
    : std::runtime_error("Invalid numeric input\r\n" + lineText(line) + quoteToken(token) + BeyondRange) {}

NumberReader::NumberReader(std::string_view text) : text_(text), end_(text.size()) {
  // Nothing after a Ctrl-Z belongs to the text.
  const std::size_t z = text.find('\x1a');
  if (z != std::string_view::npos) end_ = z;
}

std::string_view NumberReader::nextToken() {
  while (pos_ < end_ && static_cast<unsigned char>(text_[pos_]) <= 32) ++pos_;
  const std::size_t start = pos_;
  while (pos_ < end_ && static_cast<unsigned char>(text_[pos_]) > 32) ++pos_;
  return text_.substr(start, pos_ - start);
}

int NumberReader::lineOf(std::string_view token) const {
  const std::size_t at = static_cast<std::size_t>(token.data() - text_.data());
  int line = 1;
  for (std::size_t k = 0; k < at; ++k) line += text_[k] == '\n';
  return line;
}

float NumberReader::readFloat() {
  const std::string_view tok = nextToken();
  lastToken_ = tok;
  if (tok.empty()) return 0;
  const auto d = decompose(tok);
  if (!d) throw InvalidNumber(lineOf(tok), tok);
  if (const auto f = fastFloat(*d)) return *f;
  const auto v = toLongDouble(*d, tok);
  if (!v) throw NumberOutOfRange(lineOf(tok), tok);
  const float f = static_cast<float>(*v);
  if (!std::isfinite(f)) throw NumberOutOfRange(lineOf(tok), tok);
  return f;
}

long double NumberReader::readReal() {
  const std::string_view tok = nextToken();
  lastToken_ = tok;
  if (tok.empty()) return 0;
  const auto d = decompose(tok);
  if (!d) throw InvalidNumber(lineOf(tok), tok);
  const auto v = toLongDouble(*d, tok);
  if (!v) throw NumberOutOfRange(lineOf(tok), tok);
  return *v;
}

std::int32_t NumberReader::readInteger() {
  const std::string_view tok = nextToken();
  if (tok.empty()) return 0;
  const auto v = parseInteger(tok);
  if (v) return *v;
  if (isIntegerToken(tok)) throw NumberOutOfRange(lineOf(tok), tok);
  throw InvalidNumber(lineOf(tok), tok);
}

bool NumberReader::tokensLeft() const {
  for (std::size_t k = pos_; k < end_; ++k)
    if (static_cast<unsigned char>(text_[k]) > 32) return true;
  return false;
}

void NumberReader::skipLine() {
  while (pos_ < end_ && text_[pos_] != '\n') ++pos_;
  if (pos_ < end_) ++pos_;
}

}  // namespace volmar
