#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace volmar {

// A token that is not a number of the file grammar.
class InvalidNumber : public std::runtime_error {
 public:
  InvalidNumber() : std::runtime_error("Invalid numeric input") {}
};

// A number too large for a 32-bit float.
class NumberOutOfRange : public std::runtime_error {
 public:
  explicit NumberOutOfRange(const std::string& token)
      : std::runtime_error("Invalid numeric input\r\n'" + token +
                           "' is beyond the range of the values that can be held.") {}
};

// Reads numbers from the text of a data, subsample or prototypes file.
// Numbers are separated by any characters with codes 0..32; a token is the
// following run of characters above 32. The text ends at its last character
// or at a Ctrl-Z. A number asked for when only separators remain reads as 0.
// "." is the only decimal point; anything else in a token makes it invalid.
class NumberReader {
 public:
  explicit NumberReader(std::string_view text);

  // End of the text: nothing left or a Ctrl-Z next. Skips nothing.
  bool eof() const { return pos_ >= end_ || text_[pos_] == '\x1a'; }

  // Next real: converted at extended precision. Throws InvalidNumber.
  long double readReal();
  // Next real, stored as the nearest 32-bit float. A value beyond the range
  // of 32-bit floats is refused (NumberOutOfRange).
  float readFloat();
  // Next decimal integer (optional sign, digits). Throws InvalidNumber, also
  // for values beyond 32 bits.
  std::int32_t readInteger();
  // Drops the rest of the current line including its line end (LF; a lone
  // CR is no line end). Stops before a Ctrl-Z.
  void skipLine();

 private:
  std::string_view nextToken();

  std::string_view text_;
  std::string_view lastToken_;
  std::size_t pos_ = 0;
  std::size_t end_;
};

// Converts one token of the real-number grammar ([+-]digits[.digits]
// [(E|e)[+-]digits], at least one mantissa digit) at extended precision;
// nothing when the token does not follow the grammar or overflows.
std::optional<long double> parseReal(std::string_view token);
// Plain decimal integer ([+-]digits) within 32 bits.
std::optional<std::int32_t> parseInteger(std::string_view token);

// Dialog entries: the same grammars, with leading and trailing blanks
// allowed around the number.
std::optional<long double> parseRealEntry(std::string_view text);
std::optional<std::int32_t> parseIntegerEntry(std::string_view text);

}  // namespace volmar
