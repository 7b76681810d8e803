#include "core/NumberReader.h"

#include <array>
#include <charconv>
#include <cmath>
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

std::optional<long double> parseReal(std::string_view tok) {
  std::size_t i = 0;
  const std::size_t n = tok.size();
  bool neg = false;
  if (i < n && (tok[i] == '+' || tok[i] == '-')) neg = tok[i++] == '-';
  // Mantissa digits, collected into a 64-bit integer while they fit.
  std::uint64_t mant = 0;
  int sigDigits = 0;   // significant digits taken into mant
  int dropped = 0;     // integer digits that did not fit (scale up)
  int fracScale = 0;   // fraction digits taken into mant
  bool lost = false;   // nonzero digits beyond 19 significant ones
  int digits = 0;
  for (; i < n && isDigit(tok[i]); ++i, ++digits) {
    if (sigDigits < 19) {
      mant = mant * 10 + static_cast<unsigned>(tok[i] - '0');
      if (mant != 0) ++sigDigits;
    } else {
      ++dropped;
      if (tok[i] != '0') lost = true;
    }
  }
  if (i < n && tok[i] == '.') {
    ++i;
    for (; i < n && isDigit(tok[i]); ++i, ++digits) {
      if (sigDigits < 19) {
        mant = mant * 10 + static_cast<unsigned>(tok[i] - '0');
        if (mant != 0) ++sigDigits;
        ++fracScale;
      } else if (tok[i] != '0') {
        lost = true;
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

  const long scale = exp10 + dropped - fracScale;
  long double v;
  if (mant == 0) {
    v = 0;
  } else if (!lost && scale >= -MaxExactPow10 && scale <= MaxExactPow10) {
    // Both operands exact: one correctly rounded operation.
    v = scale >= 0 ? static_cast<long double>(mant) * exactPow10(static_cast<int>(scale))
                   : static_cast<long double>(mant) / exactPow10(static_cast<int>(-scale));
  } else {
    // Rare: long mantissas or large exponents. from_chars is exact and does
    // not depend on the locale.
    std::string s(tok.substr(tok[0] == '+' ? 1 : 0));
    long double r = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), r);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
    return r;
  }
  if (!std::isfinite(v)) return std::nullopt;
  return neg ? -v : v;
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

float NumberReader::readFloat() {
  const long double v = readReal();
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) throw NumberOutOfRange(std::string(lastToken_));
  return f;
}

long double NumberReader::readReal() {
  const std::string_view tok = nextToken();
  lastToken_ = tok;
  if (tok.empty()) return 0;
  const auto v = parseReal(tok);
  if (!v) throw InvalidNumber();
  return *v;
}

std::int32_t NumberReader::readInteger() {
  const std::string_view tok = nextToken();
  if (tok.empty()) return 0;
  const auto v = parseInteger(tok);
  if (!v) throw InvalidNumber();
  return *v;
}

void NumberReader::skipLine() {
  while (pos_ < end_ && text_[pos_] != '\n') ++pos_;
  if (pos_ < end_) ++pos_;
}

}  // namespace volmar
