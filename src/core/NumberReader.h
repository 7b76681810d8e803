#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace volmar {

// Longest part of a token that a message quotes; longer tokens are cut and
// marked with "...".
inline constexpr std::size_t QuotedTokenLength = 40;

// The token as a message shows it: quoted, cut to QuotedTokenLength bytes
// (never inside a UTF-8 sequence).
std::string quoteToken(std::string_view token);

// A token that is not a number of the file grammar. The first line of the
// text is always "Invalid numeric input"; the second names the line of the
// file and the token, when they are known.
class InvalidNumber : public std::runtime_error {
 public:
  InvalidNumber() : std::runtime_error("Invalid numeric input") {}
  InvalidNumber(int line, std::string_view token);
};

// A well-formed number too large for the type it is read into.
class NumberOutOfRange : public std::runtime_error {
 public:
  explicit NumberOutOfRange(std::string_view token);
  NumberOutOfRange(int line, std::string_view token);
};

// Reads numbers from the text of a data, subsample or prototypes file.
// Numbers are separated by any characters with codes 0..32; a token is the
// following run of characters above 32. The text ends at its last character
// or at a Ctrl-Z. A number asked for when only separators remain reads as 0.
// "." is the only decimal point; anything else in a token makes it invalid.
// Every well-formed number too large for its type is refused as out of
// range (NumberOutOfRange), every one too small to be told from 0 reads as
// 0 (with its sign); errors name the line (1-based) and the token.
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
  // Next decimal integer (optional sign, digits). Throws InvalidNumber;
  // values beyond 32 bits are out of range.
  std::int32_t readInteger();
  // Drops the rest of the current line including its line end (LF; a lone
  // CR is no line end). Stops before a Ctrl-Z.
  void skipLine();

  // Whether another token follows before the end of the text.
  bool tokensLeft() const;

 private:
  std::string_view nextToken();
  // 1-based line of the text at which the token starts.
  int lineOf(std::string_view token) const;

  std::string_view text_;
  std::string_view lastToken_;
  std::size_t pos_ = 0;
  std::size_t end_;
};

// Converts one token of the real-number grammar ([+-]digits[.digits]
// [(E|e)[+-]digits], at least one mantissa digit) at extended precision;
// nothing when the token does not follow the grammar or overflows. A value
// below the extended range reads as 0.
std::optional<long double> parseReal(std::string_view token);
// Plain decimal integer ([+-]digits) within 32 bits.
std::optional<std::int32_t> parseInteger(std::string_view token);
// Whether a token follows the real or the integer grammar, whatever its
// size: a well-formed token that does not convert is out of range.
bool isRealToken(std::string_view token);
bool isIntegerToken(std::string_view token);

// Dialog entries: the same grammars, with leading and trailing blanks
// allowed around the number.
std::optional<long double> parseRealEntry(std::string_view text);
std::optional<std::int32_t> parseIntegerEntry(std::string_view text);
bool isRealEntry(std::string_view text);
bool isIntegerEntry(std::string_view text);

}  // namespace volmar
