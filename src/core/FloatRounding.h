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
//                      such ties. Branch-free, so that loops over it vectorise.
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
  const float f = static_cast<float>(s);
  const double r = s - static_cast<double>(f);   // exact: s and f are close
  // s lies half-way between f and its neighbour exactly when f + 2r, the
  // point mirrored across s, is itself a float.
  const double g = static_cast<double>(f) + 2.0 * r;
  const float gf = static_cast<float>(g);
  const bool tie = (r != 0.0) & (static_cast<double>(gf) == g);
  // On a tie the exact sum is on the neighbour's side when err points away
  // from f, that is, has the sign of r.
  const bool beyond = (err != 0.0) & ((err > 0.0) == (r > 0.0));
  // Selected by a bit mask rather than a branch: the sign test is a coin flip
  // that a scalar branch would mispredict half of the time.
  const std::uint32_t pick = 0u - static_cast<std::uint32_t>(tie & beyond);
  const std::uint32_t fb = std::bit_cast<std::uint32_t>(f);
  const std::uint32_t gb = std::bit_cast<std::uint32_t>(gf);
  return std::bit_cast<float>(fb ^ ((fb ^ gb) & pick));
}

}  // namespace volmar
