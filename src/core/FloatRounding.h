#pragma once

// Rounding helpers shared by the learning routines.
//
//   RoundHalfEven(x)   nearest integer to x, an exact half going to the even
//                      neighbour (independent of the FPU rounding mode).
//   SumToFloat(a, b)   a + b rounded once to a 32-bit float. Forming the sum in
//                      double and then narrowing it rounds twice, and misses by
//                      one float step when the double sum lands exactly half-way
//                      between two floats although the exact sum does not. Here
//                      the rounding error of the double sum (TwoSum) decides
//                      such ties.
//   MayNarrowWrongly(s) whether static_cast<float>(s) can differ from the
//                      correct rounding of what s approximates; kernels narrow
//                      directly and use SumToFloat only where this says so.

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

// True when narrowing s to float could round differently from narrowing the
// exact value s stands for: s lies exactly half-way between two floats (the
// 29 bits a float drops read 1000...0), or s is in the range of subnormal
// floats, where the dropped bits sit elsewhere. Anywhere else a double that
// is the nearest double to a value narrows to the float nearest that value.
inline bool MayNarrowWrongly(double s) {
  const auto low = static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(s));
  const bool half = (low & 0x1FFFFFFFu) == 0x10000000u;
  const bool tiny = (std::fabs(s) < 0x1p-126) & (s != 0.0);
  return half | tiny;
}

inline float SumToFloat(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  const double err = (a - (s - bb)) + (b - bb);  // a + b = s + err exactly
  // Round s to odd: when it is inexact and its last bit is 0, step one unit
  // toward the exact sum. A value rounded to odd with 53 bits narrows to the
  // float nearest the exact sum (53 >= 24 + 2). Done on the bit pattern: a
  // float round trip here is exactly what some vectorisers fold away.
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(s);
  const std::uint64_t inexact = err != 0.0 ? ~std::uint64_t{0} : 0;
  const std::uint64_t even = (bits & 1u) - 1u;  // all ones when the last bit is 0
  const std::uint64_t toward = ((err > 0.0) == (s > 0.0)) ? 1u : ~std::uint64_t{0};  // +1 or -1
  return static_cast<float>(std::bit_cast<double>(bits + (toward & inexact & even)));
}

}  // namespace volmar
