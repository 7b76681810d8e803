#include <gtest/gtest.h>

#include "core/NumberFormat.h"

using volmar::formatGeneral;
using volmar::formatPicture;

namespace {

struct PictureCase {
  long double value;
  const char* picture;
  const char* expected;
};

// Every picture the program writes with, on values that exercise rounding,
// required digits, optional decimals and signs.
const PictureCase kPictures[] = {
    {0.5L, "######.000", ".500"},
    {0, "######.000", ".000"},
    {1234.5678L, "######.000", "1234.568"},
    {1234567.25L, "######.000", "1234567.250"},  // more digits than places
    {-0.25L, "######.000", "-.250"},
    {12.3456L, " #####0.000; -#####0.000", " 12.346"},
    {-0.5L, " #####0.000; -#####0.000", " -0.500"},
    {0, " #####0.000; -#####0.000", " 0.000"},
    {-2.25L, " #####0.000; -#####0.000", " -2.250"},
    {9.99951L, " #####0.000; -#####0.000", " 10.000"},
    {-0.0004L, " #####0.000; -#####0.000", " 0.000"},   // rounds to zero: no sign
    {33.3333L, "##0.00", "33.33"},
    {100, "##0.00", "100.00"},
    {0.005L, "##0.00", "0.01"},  // halves away from zero (0.005 at 18 digits)
    {0.125L, "##0.00", "0.13"},
    {0.0L, "##0.00", "0.00"},
    {0.12345L, "0.0000", "0.1235"},
    {0, "0.0000", "0.0000"},
    {1234.56789L, " ###########0.0##", " 1234.568"},
    {1234.5L, " ###########0.0##", " 1234.5"},
    {7, " ###########0.0##", " 7.0"},
    {0.25L, "###########0.0##", "0.25"},
    {0, "   ###########0", "   0"},
    {42, "   ###########0", "   42"},
    {0.9876L, "##.0000", ".9876"},
    {12.5L, "##.00", "12.50"},
    {0.5L, "####.0#", ".5"},
    {12.345L, "####.0#", "12.35"},
    {33.3333L, " ###.000", " 33.333"},
    {0, " ###.000", " .000"},
    {100, " ###.000", " 100.000"},
    {4.25L, "########0.0##", "4.25"},
    {-4.25L, "########0.0##", "-4.25"},
    {0.4567L, "##0.000", "0.457"},
    {2.5L, "##0.0", "2.5"},
    {3, " ##0", " 3"},
    {12, " ##0", " 12"},
    {0, " ##0", " 0"},
    {0, " ####0", " 0"},
    {123456, " ####0", " 123456"},
    {7, "######0", "7"},
    {2.5L, "0", "3"},
    {3.5L, "0", "4"},
    {-2.5L, "0", "-3"},
    {1.25L, "####0.000", "1.250"},
};

}  // namespace

TEST(NumberPictures, FormatsEveryPictureOfTheProgram) {
  for (const auto& c : kPictures) {
    EXPECT_EQ(formatPicture(c.value, c.picture), c.expected)
        << "value " << static_cast<double>(c.value) << " picture \"" << c.picture << "\"";
  }
}

TEST(NumberPictures, RoundsTheEighteenDigitDecimalNotTheBinaryValue) {
  // 2.675 is 2.67499999999999982236431605997495353221893310546875 as a
  // double; at 18 significant digits it stays below the half.
  EXPECT_EQ(formatPicture(2.675, "##0.00"), "2.67");
  // A float that is a little above its decimal text rounds up.
  EXPECT_EQ(formatPicture(static_cast<float>(0.0005f), "##0.000"), "0.001");
  // The value 12.3455 as a float is 12.34549999237060546875: rounds down.
  EXPECT_EQ(formatPicture(12.3455f, " #####0.000; -#####0.000"), " 12.345");
  // 1.0015 as a float is 1.00150001049041748046875: rounds up.
  EXPECT_EQ(formatPicture(1.0015f, " #####0.000; -#####0.000"), " 1.002");
}

TEST(NumberPictures, CarriesIntoANewLeadingDigit) {
  EXPECT_EQ(formatPicture(999.9996L, "######.000"), "1000.000");
  EXPECT_EQ(formatPicture(0.9999L, "##.00"), "1.00");
  EXPECT_EQ(formatPicture(-99.9999L, " #####0.000; -#####0.000"), " -100.000");
}

TEST(GeneralFormat, UsesTheShortestFifteenDigitForm) {
  EXPECT_EQ(formatGeneral(0.3f), "0.300000011920929");
  EXPECT_EQ(formatGeneral(0.3), "0.3");
  EXPECT_EQ(formatGeneral(0.25), "0.25");
  EXPECT_EQ(formatGeneral(2), "2");
  EXPECT_EQ(formatGeneral(20), "20");
  EXPECT_EQ(formatGeneral(0), "0");
  EXPECT_EQ(formatGeneral(-1.5), "-1.5");
  EXPECT_EQ(formatGeneral(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(formatGeneral(123456789012345.0), "123456789012345");
  EXPECT_EQ(formatGeneral(1e15), "1E15");
  EXPECT_EQ(formatGeneral(1.5e20), "1.5E20");
  EXPECT_EQ(formatGeneral(0.0001), "0.0001");
  EXPECT_EQ(formatGeneral(1e-7), "1E-7");
}
