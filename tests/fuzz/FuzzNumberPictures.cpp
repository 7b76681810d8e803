// Number pictures: a value formatted with one of the program's pictures
// reads back as the value taken to 18 significant digits and rounded to the
// picture's last decimal, halves away from zero (worked out here on the
// decimal digits, independently of the formatter); the general format
// reads back within 15 significant digits.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "core/NumberFormat.h"
#include "core/NumberReader.h"

using namespace volmar;

namespace {

constexpr const char* Pictures[] = {"##0.00",      "0.0000", "##0.0",       "#####0",
                                    "######.000",  " ##0",   " ####0",      " #####0.000; -#####0.000",
                                    "###########0.0##", " ###########0.0##"};

// The decimals of a picture's first section: the digits after its point.
int decimalsOf(std::string_view picture) {
  picture = picture.substr(0, picture.find(';'));
  const auto point = picture.find('.');
  if (point == std::string_view::npos) return 0;
  int n = 0;
  for (char c : picture.substr(point + 1)) n += c == '0' || c == '#';
  return n;
}

// The value to 18 significant digits, then rounded at `decimals`, halves
// away from zero, as a decimal text.
std::string expectedText(long double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17Le", std::fabs(v));  // d.ddddddddddddddddde+X
  std::string digits;
  for (const char* p = buf; *p && *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  const int exp10 = std::atoi(std::strchr(buf, 'e') + 1);
  // digits[k] has the weight 10^(exp10 - k). Keep the weights >= 10^-decimals.
  const int keep = exp10 + decimals + 1;  // number of digits kept
  std::string kept;
  bool roundUp = false;
  if (keep <= 0) {
    kept = "0";
    roundUp = keep == 0 && digits[0] >= '5';
  } else {
    kept = digits.substr(0, static_cast<std::size_t>(std::min<int>(keep, 18)));
    while (static_cast<int>(kept.size()) < keep) kept += '0';
    roundUp = keep < 18 && digits[static_cast<std::size_t>(keep)] >= '5';
  }
  if (roundUp) {
    int k = static_cast<int>(kept.size()) - 1;
    while (k >= 0 && kept[static_cast<std::size_t>(k)] == '9') kept[static_cast<std::size_t>(k--)] = '0';
    if (k < 0) kept.insert(kept.begin(), '1');
    else ++kept[static_cast<std::size_t>(k)];
    if (keep <= 0) kept = "1";
  }
  // kept is an integer count of 10^-decimals units.
  return (v < 0 ? "-" : "") + kept + "e-" + std::to_string(decimals);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const char* picture = Pictures[in.pick(0, static_cast<int>(std::size(Pictures)) - 1)];
  double d = 0;
  const std::string_view rest = in.rest();
  if (rest.size() < sizeof d) return 0;
  std::memcpy(&d, rest.data(), sizeof d);
  if (!std::isfinite(d) || std::fabs(d) >= 1e15) return 0;
  const long double v = d;

  const std::string shown = formatPicture(v, picture);
  std::string number;
  for (char c : shown)
    if (c != ' ') number += c;
  if (number.empty() || number == "-") number += "0";
  const auto got = parseReal(number);
  fuzz::require(got.has_value(), "a picture's text is a number");
  const auto want = parseReal(expectedText(v, decimalsOf(picture)));
  fuzz::require(want.has_value(), "the expected text is a number");
  fuzz::require(*got == *want, "a picture reads back as the rounded value");

  const auto general = parseReal(formatGeneral(v));
  fuzz::require(general.has_value(), "the general format is a number");
  fuzz::require(*general == v || std::fabs(*general - v) <= std::fabs(v) * 1e-14L,
                "the general format keeps 15 significant digits");
  return 0;
}
