// Subsample reader (integers): every token is read as the integer an
// independent conversion gives, refused as out of range when it is digits
// beyond 32 bits, and refused as invalid otherwise.
#include <charconv>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "core/NumberReader.h"

using namespace volmar;

namespace {

// The next token of the file grammar, by the separators' definition.
std::string_view nextToken(std::string_view& s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= 32) ++i;
  std::size_t j = i;
  while (j < s.size() && static_cast<unsigned char>(s[j]) > 32) ++j;
  const std::string_view tok = s.substr(i, j - i);
  s.remove_prefix(j);
  return tok;
}

enum class Expect { Value, OutOfRange, Invalid };

Expect expected(std::string_view tok, std::int32_t& value) {
  std::size_t k = (!tok.empty() && (tok[0] == '+' || tok[0] == '-')) ? 1 : 0;
  if (k == tok.size()) return Expect::Invalid;
  for (std::size_t i = k; i < tok.size(); ++i)
    if (tok[i] < '0' || tok[i] > '9') return Expect::Invalid;
  const std::string_view digits = tok[0] == '+' ? tok.substr(1) : tok;
  const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return r.ec == std::errc() ? Expect::Value : Expect::OutOfRange;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t z = text.find('\x1a');
  if (z != std::string_view::npos) text = text.substr(0, z);
  NumberReader reader(text);
  std::string_view rest = text;
  for (int count = 0; count < 1000; ++count) {
    const std::string_view tok = nextToken(rest);
    std::int32_t want = 0;
    const Expect e = tok.empty() ? Expect::Value : expected(tok, want);
    try {
      const std::int32_t got = reader.readInteger();
      fuzz::require(e == Expect::Value && got == want, "accepted integers convert exactly");
    } catch (const NumberOutOfRange&) {
      fuzz::require(e == Expect::OutOfRange, "only digits beyond 32 bits are out of range");
      return 0;
    } catch (const InvalidNumber&) {
      fuzz::require(e == Expect::Invalid, "only tokens of another grammar are invalid");
      return 0;
    }
    if (tok.empty()) break;
  }
  return 0;
}
