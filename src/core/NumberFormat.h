#pragma once

#include <string>
#include <string_view>

namespace volmar {

// Formats a value with a picture string: "0" is a digit always shown, "#" a
// digit shown only when significant, "." the decimal point; other characters
// are copied. A picture "pos;neg" uses its second section, without an added
// minus sign, for negative values. The value is taken to 18 significant
// digits and rounded to the picture's last decimal, halves away from zero.
// Examples: 0.5 in "######.000" gives ".500"; 12.3456 in
// " #####0.000; -#####0.000" gives " 12.346".
std::string formatPicture(long double value, std::string_view picture);

// Shortest general notation with up to 15 significant digits: fixed point
// while the exponent allows, otherwise "1.5E20" / "1E-7". 0.3 stored as a
// 32-bit float gives "0.300000011920929".
std::string formatGeneral(long double value);

}  // namespace volmar
