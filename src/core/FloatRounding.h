#pragma once

// Rounding helpers shared by the learning routines.
//
//   RoundHalfEven(x)   nearest integer to x, an exact half going to the even
//                      neighbour (independent of the FPU rounding mode).
//   SumToFloat(a, b)   a + b rounded once to a 32-bit float. Forming the sum in
//                      double and then narrowing it would round twice and can
//                      miss by one float step when the double sum lands exactly
//                      half-way between two floats; here the double sum is
//                      rounded to odd first (its lowest bit records whether it
//                      was inexact), which makes the narrowing a single correct
//                      rounding of the exact sum.

#include <bit>
#include <cmath>
#include <cstdint>

namespace volmar {

inline double RoundHalfEven(double x) {
  const double r = std::floor(x + 0.5);
  // x + 0.5 is exact for the magnitudes used here (case numbers, counts); an
  // exact half rounded up to an odd number goes back to the even neighbour.
  if (r - x == 0.5 && std::fmod(r, 2.0) != 0.0) return r - 1.0;
  return r;
}

// Bits of s moved one step toward the exact value s + err when s is even and
// inexact; the branch-free form lets the compiler vectorise loops over it.
inline double RoundToOdd(double s, double err) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(s);
  const std::uint64_t inexact = err != 0.0 ? ~std::uint64_t{0} : 0;
  const std::uint64_t even = (bits & 1u) - 1u;  // all ones when the last bit is 0
  // Away from zero when err has the sign of s, toward zero otherwise.
  const std::uint64_t awayMask = ((err > 0.0) == (s > 0.0)) ? 0 : ~std::uint64_t{0};
  const std::uint64_t step = awayMask | 1u;  // +1 or -1 in two's complement
  return std::bit_cast<double>(bits + (step & inexact & even));
}

inline float SumToFloat(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  const double err = (a - (s - bb)) + (b - bb);  // exact error of s (TwoSum)
  return static_cast<float>(RoundToOdd(s, err));
}

}  // namespace volmar
