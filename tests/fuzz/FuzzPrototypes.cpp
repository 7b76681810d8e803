// Prototypes reader: it returns exactly prototypes x variables values, each
// the token's value converted at extended precision and rounded to a
// 32-bit float (checked against the C library's conversion), 0 where the
// file ran out; overflow is refused as out of range, never as invalid.
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "commands/ReadPrototypes.h"
#include "core/NumberReader.h"

using namespace volmar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const int protos = in.pick(1, 30);
  const int vars = in.pick(1, 8);
  const std::string_view text = in.rest();
  std::vector<float> values;
  try {
    values = readPrototypeValues(text, protos, vars);
  } catch (const NumberOutOfRange&) {
    return 0;
  } catch (const InvalidNumber&) {
    return 0;
  }
  fuzz::require(values.size() == static_cast<std::size_t>(protos) * static_cast<std::size_t>(vars),
                "one value per prototype and variable");
  // Walk the tokens independently and compare.
  std::string_view rest = text.substr(0, text.find('\x1a'));
  for (const float v : values) {
    std::size_t i = 0;
    while (i < rest.size() && static_cast<unsigned char>(rest[i]) <= 32) ++i;
    std::size_t j = i;
    while (j < rest.size() && static_cast<unsigned char>(rest[j]) > 32) ++j;
    const std::string tok(rest.substr(i, j - i));
    rest.remove_prefix(j);
    fuzz::require(std::isfinite(v), "accepted values are finite");
    if (tok.empty()) {
      fuzz::require(v == 0.0f, "values after the end of the file are 0");
      continue;
    }
    const long double ref = std::strtold(tok.c_str(), nullptr);
    const float want = static_cast<float>(ref);
    fuzz::require(std::memcmp(&v, &want, sizeof v) == 0 || (v == 0 && want == 0),
                  "a value is its token rounded to float");
  }
  return 0;
}
