#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/NumberReader.h"

using namespace volmar;

TEST(NumberGrammar, ReadsSignedDecimalAndExponentForms) {
  NumberReader in("1.5 .5 -2e3 +7 3. 1E-2 -0");
  EXPECT_EQ(in.readFloat(), 1.5f);
  EXPECT_EQ(in.readFloat(), 0.5f);
  EXPECT_EQ(in.readFloat(), -2000.0f);
  EXPECT_EQ(in.readFloat(), 7.0f);
  EXPECT_EQ(in.readFloat(), 3.0f);
  EXPECT_EQ(in.readFloat(), 0.01f);
  EXPECT_EQ(in.readFloat(), 0.0f);
}

TEST(NumberGrammar, RefusesCommasAndOtherTokens) {
  for (const char* bad : {"1,5", "abc", "1.2.3", "--1", "1e", "e5", "+", ".", "1e+", "0x10", "nan", "inf"}) {
    NumberReader in(bad);
    EXPECT_THROW(in.readReal(), InvalidNumber) << bad;
  }
  EXPECT_STREQ(InvalidNumber().what(), "Invalid numeric input");
}

TEST(NumberGrammar, ConvertsAtExtendedPrecisionThenRoundsToFloat) {
  // Correct rounding of the decimal text to long double.
  EXPECT_EQ(*parseReal("0.1"), 0.1L);
  EXPECT_EQ(*parseReal("123456789.123456789"), 123456789.123456789L);
  EXPECT_EQ(*parseReal("1e300"), 1e300L);
  EXPECT_EQ(*parseReal("12345678901234567890123"), 12345678901234567890123.0L);
  EXPECT_EQ(*parseReal("-0.000000000000000000000000000001"), -1e-30L);
  NumberReader in("16777217 0.30000001192092896");
  EXPECT_EQ(in.readFloat(), 16777216.0f);  // ties to even in 32 bits
  EXPECT_EQ(in.readFloat(), 0.3f);
}

TEST(NumberGrammar, RefusesValuesBeyondFloatRange) {
  NumberReader in("1e39");
  EXPECT_THROW(in.readFloat(), NumberOutOfRange);
}

TEST(NumberGrammar, SeparatorsAndEndOfText) {
  NumberReader in(" \t\r\n1\x01\x1f" "2\r3");
  EXPECT_EQ(in.readFloat(), 1.0f);
  EXPECT_EQ(in.readFloat(), 2.0f);
  EXPECT_EQ(in.readFloat(), 3.0f);  // a lone CR separates
  EXPECT_TRUE(in.eof());
  EXPECT_EQ(in.readFloat(), 0.0f);  // nothing left: reads as 0
}

TEST(NumberGrammar, CtrlZEndsTheText) {
  NumberReader in("1 2\x1a" "3 4");
  EXPECT_EQ(in.readFloat(), 1.0f);
  EXPECT_EQ(in.readFloat(), 2.0f);
  EXPECT_TRUE(in.eof());
  EXPECT_EQ(in.readFloat(), 0.0f);
}

TEST(NumberGrammar, EndTestDoesNotSkipSeparators) {
  NumberReader in("1\r\n\r\n");
  in.readFloat();
  in.skipLine();
  EXPECT_FALSE(in.eof());  // a blank line is still text
  EXPECT_EQ(in.readFloat(), 0.0f);
  EXPECT_TRUE(in.eof());
}

TEST(NumberGrammar, IntegersAreSignedDigitsWithinThirtyTwoBits) {
  NumberReader in("3 -4 +5 2147483647 -2147483648");
  EXPECT_EQ(in.readInteger(), 3);
  EXPECT_EQ(in.readInteger(), -4);
  EXPECT_EQ(in.readInteger(), 5);
  EXPECT_EQ(in.readInteger(), 2147483647);
  EXPECT_EQ(in.readInteger(), -2147483647 - 1);
  for (const char* bad : {"1.0", "1e2", "x"}) {
    NumberReader b(bad);
    EXPECT_THROW(b.readInteger(), InvalidNumber) << bad;
  }
  NumberReader big("2147483648");
  EXPECT_THROW(big.readInteger(), NumberOutOfRange);
}

TEST(NumberGrammar, DialogEntriesMayHaveSurroundingBlanks) {
  EXPECT_EQ(*parseIntegerEntry(" 12 "), 12);
  EXPECT_EQ(*parseRealEntry(" 0.25"), 0.25L);
  EXPECT_FALSE(parseIntegerEntry(""));
  EXPECT_FALSE(parseIntegerEntry("1 2"));
  EXPECT_FALSE(parseRealEntry("0,3"));
}

TEST(NumberGrammar, FloatsEqualTheExtendedConversionRoundedToFloat) {
  // readFloat takes a shortcut for ordinary tokens; it must give exactly
  // the float of the extended-precision value, also next to midpoints.
  std::uint32_t s = 99;
  char buf[64];
  for (int i = 0; i < 200000; ++i) {
    s = s * 134775813u + 1u;
    const int digits = static_cast<int>(s % 9);
    s = s * 134775813u + 1u;
    const int exp = static_cast<int>(s % 41) - 20;
    s = s * 134775813u + 1u;
    const unsigned long long mant = (static_cast<unsigned long long>(s) << 21) % 100000000000000000ull;
    std::snprintf(buf, sizeof buf, "%llu.%0*de%d", mant / 1000, digits, static_cast<int>(mant % 1000) % 1000, exp);
    NumberReader in(buf);
    const float f = in.readFloat();
    EXPECT_EQ(f, static_cast<float>(*parseReal(buf))) << buf;
  }
  // Decimal texts of float midpoints and their neighbours.
  for (const char* t : {"16777217", "16777219", "0.5000000298023223876953125", "1.00000005960464477539062",
                        "3.4028235677973366e38", "1.1754943508222875e-38"}) {
    NumberReader in(t);
    EXPECT_EQ(in.readFloat(), static_cast<float>(*parseReal(t))) << t;
  }
}

TEST(NumberGrammar, OverflowIsOutOfRangeAndUnderflowReadsAsZeroWhateverTheirSize) {
  const std::string digits5000(5000, '9');
  for (const std::string& big : {std::string("1e39"), std::string("-1e400"), std::string("1e5000"),
                                 std::string("1e999999999999"), digits5000, digits5000 + ".5e-3"}) {
    NumberReader in(big);
    EXPECT_THROW(in.readFloat(), NumberOutOfRange) << big.substr(0, 20);
    EXPECT_TRUE(isRealToken(big));
  }
  EXPECT_FALSE(parseReal("1e5000"));
  EXPECT_FALSE(parseReal(digits5000 + "0"));
  for (const char* tiny : {"1e-50", "1e-5000", "-1e-99999999", "0.0000e-7000"}) {
    NumberReader in(tiny);
    const float f = in.readFloat();
    EXPECT_EQ(f, 0.0f) << tiny;
    EXPECT_EQ(std::signbit(f), tiny[0] == '-') << tiny;
    EXPECT_EQ(*parseReal(tiny) == 0, std::string(tiny) != "1e-50") << tiny;
  }
  NumberReader ints("99999999999");
  EXPECT_THROW(ints.readInteger(), NumberOutOfRange);
}

TEST(NumberGrammar, ErrorsNameTheLineAndQuoteTheTokenCutTo40Characters) {
  const std::string longToken = std::string(45, 'x') + "\xc3\xa9";
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {"1 2\r\n3 4,5\r\n", "Invalid numeric input\r\nLine 2: '4,5' is not a number."},
      {"\n\n\n1e39", "Invalid numeric input\r\nLine 4: '1e39' is beyond the range of the values that can be held."},
      {"1\n" + longToken, "Invalid numeric input\r\nLine 2: '" + std::string(40, 'x') + "...' is not a number."},
      {std::string(39, 'x') + "\xc3\xa9", "Invalid numeric input\r\nLine 1: '" + std::string(39, 'x') + "...' is not a number."},
  };
  for (const Case& c : cases) {
    NumberReader in(c.text);
    try {
      for (int k = 0; k < 4; ++k) in.readFloat();
      ADD_FAILURE() << c.text;
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
}
