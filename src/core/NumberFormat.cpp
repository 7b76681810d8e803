#include "core/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace volmar {

namespace {

// Decimal digits of |value| to `precision` significant digits:
// digits (no leading zeros, at least one) and the decimal exponent, so that
// |value| = 0.d1d2d3... * 10^exponent. Zero gives digits "" and exponent 0.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

Decimal toDecimal(long double value, int precision) {
  Decimal d;
  value = std::fabs(value);
  if (value == 0) return d;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*Le", precision - 1, value);
  // buf: d.ddddde[+-]xx
  std::string mant;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') mant.push_back(*p);
  int e = (*p == 'e') ? std::atoi(p + 1) : 0;
  d.exponent = e + 1;
  while (!mant.empty() && mant.back() == '0') mant.pop_back();
  d.digits = mant;
  return d;
}

// Rounds the decimal to `decimals` digits after the point, halves away from
// zero. Afterwards digits.size() <= exponent + decimals.
void roundDecimal(Decimal& d, int decimals) {
  if (d.digits.empty()) return;
  const int keep = d.exponent + decimals;  // digits to keep
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
      d.digits[static_cast<std::size_t>(i)] = '0';
      --i;
    }
    if (i < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    } else {
      ++d.digits[static_cast<std::size_t>(i)];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

bool isPlaceholder(char c) { return c == '0' || c == '#'; }

}  // namespace

std::string formatPicture(long double value, std::string_view picture) {
  std::string_view section = picture;
  bool negative = std::signbit(value) && value != 0;
  const std::size_t semi = picture.find(';');
  bool useSecond = false;
  if (semi != std::string_view::npos) section = picture.substr(0, semi);

  // Layout of the section.
  const std::size_t point = section.find('.');
  const std::size_t intEnd = point == std::string_view::npos ? section.size() : point;
  int intPlaces = 0, minInt = 0;
  bool seenZero = false;
  auto analyse = [&](std::string_view s, std::size_t end, int& places, int& minimum, int& decPlaces,
                     int& minDec) {
    places = minimum = decPlaces = minDec = 0;
    bool zero = false;
    for (std::size_t i = 0; i < end; ++i) {
      if (!isPlaceholder(s[i])) continue;
      ++places;
      if (s[i] == '0') zero = true;
      if (zero) ++minimum;
    }
    if (end < s.size()) {
      for (std::size_t i = end + 1; i < s.size(); ++i) {
        if (!isPlaceholder(s[i])) continue;
        ++decPlaces;
        if (s[i] == '0') minDec = decPlaces;
      }
    }
  };
  (void)seenZero;
  int decPlaces = 0, minDec = 0;
  analyse(section, intEnd, intPlaces, minInt, decPlaces, minDec);

  Decimal d = toDecimal(value, 18);
  roundDecimal(d, decPlaces);
  if (d.digits.empty()) negative = false;  // rounds to zero: no sign

  if (negative && semi != std::string_view::npos) {
    useSecond = true;
    section = picture.substr(semi + 1);
    const std::size_t p2 = section.find('.');
    const std::size_t e2 = p2 == std::string_view::npos ? section.size() : p2;
    analyse(section, e2, intPlaces, minInt, decPlaces, minDec);
    d = toDecimal(value, 18);
    roundDecimal(d, decPlaces);
  }

  // Integer and fraction digit strings.
  std::string intDigits, fracDigits;
  if (!d.digits.empty()) {
    if (d.exponent > 0) {
      for (int i = 0; i < d.exponent; ++i)
        intDigits.push_back(i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0');
      if (static_cast<int>(d.digits.size()) > d.exponent) fracDigits = d.digits.substr(static_cast<std::size_t>(d.exponent));
    } else {
      fracDigits = std::string(static_cast<std::size_t>(-d.exponent), '0') + d.digits;
    }
  }
  while (static_cast<int>(intDigits.size()) < minInt) intDigits.insert(intDigits.begin(), '0');
  while (static_cast<int>(fracDigits.size()) < minDec) fracDigits.push_back('0');

  // Walk the section: literals are copied, placeholders take digits.
  const std::size_t sectPoint = section.find('.');
  const std::size_t sectIntEnd = sectPoint == std::string_view::npos ? section.size() : sectPoint;
  std::string out;
  if (negative && !useSecond) out.push_back('-');
  const int extra = static_cast<int>(intDigits.size()) - intPlaces;  // digits beyond the placeholders
  int placeIndex = 0;  // integer placeholders seen so far
  int fracIndex = 0;
  for (std::size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (i < sectIntEnd) {
      if (isPlaceholder(c)) {
        if (placeIndex == 0 && extra > 0) out.append(intDigits, 0, static_cast<std::size_t>(extra));
        const int digitPos = placeIndex + extra;  // index into intDigits
        if (digitPos >= 0 && digitPos < static_cast<int>(intDigits.size()))
          out.push_back(intDigits[static_cast<std::size_t>(digitPos)]);
        ++placeIndex;
      } else {
        out.push_back(c);
      }
    } else if (i == sectIntEnd) {
      if (!fracDigits.empty()) out.push_back('.');
    } else if (isPlaceholder(c)) {
      if (fracIndex < static_cast<int>(fracDigits.size())) out.push_back(fracDigits[static_cast<std::size_t>(fracIndex)]);
      ++fracIndex;
    } else {
      out.push_back(c);
    }
  }
  if (intPlaces == 0 && !intDigits.empty()) {
    // A picture without integer placeholders still shows the integer part,
    // in front of the point.
    const std::size_t at = out.find('.');
    out.insert(at == std::string::npos ? out.size() : at, intDigits);
  }
  return out;
}

std::string formatGeneral(long double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  Decimal d = toDecimal(value, 15);
  if (d.digits.empty()) return "0";
  std::string out;
  if (value < 0) out.push_back('-');
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent > 15 || d.exponent < -4) {
    out.push_back(d.digits[0]);
    if (n > 1) {
      out.push_back('.');
      out.append(d.digits, 1);
    }
    out.push_back('E');
    out += std::to_string(d.exponent - 1);
  } else if (d.exponent <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-d.exponent), '0');
    out += d.digits;
  } else {
    if (n <= d.exponent) {
      out += d.digits;
      out.append(static_cast<std::size_t>(d.exponent - n), '0');
    } else {
      out.append(d.digits, 0, static_cast<std::size_t>(d.exponent));
      out.push_back('.');
      out.append(d.digits, static_cast<std::size_t>(d.exponent));
    }
  }
  return out;
}

}  // namespace volmar
