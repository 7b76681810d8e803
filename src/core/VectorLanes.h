#pragma once

// Four-lane vectors for the engine kernels (internal to src/core). The
// kernels hold one prototype per lane; every operation on these types is the
// IEEE operation of the scalar code in each lane, with one rounding, so a
// kernel written with them gives the scalar results bit for bit whatever
// instruction set it is compiled for. The types are GCC vector extensions:
// without AVX they become pairs of SSE registers. The helpers are always
// inlined into the (cloned) kernels, so no vector crosses a call.

#include <cstdint>

#include "core/EngineKernels.h"

// GCC notes that 32-byte vectors are passed differently without AVX. These
// helpers are always inlined and their vectors never reach a call boundary
// or an interface, so the note does not apply; it is silenced for the two
// kernel files that include this header.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace volmar::detail {

using Doubles4 = double __attribute__((vector_size(32)));
using Floats4 = float __attribute__((vector_size(16)));

inline constexpr int VectorLanes = 4;

// Written element by element: GCC 12 turns this into one widening load,
// while __builtin_convertvector of a loaded Floats4 splits into halves.
VOLMAR_INLINE_KERNEL Doubles4 LoadWidened(const float* p) {
  return Doubles4{static_cast<double>(p[0]), static_cast<double>(p[1]), static_cast<double>(p[2]),
                  static_cast<double>(p[3])};
}

VOLMAR_INLINE_KERNEL void StoreNarrowed(float* p, Doubles4 v) {
  const Floats4 f = __builtin_convertvector(v, Floats4);
  __builtin_memcpy(p, &f, sizeof f);
}

VOLMAR_INLINE_KERNEL Doubles4 Load4(const double* p) {
  Doubles4 v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

VOLMAR_INLINE_KERNEL void Store4(double* p, Doubles4 v) { __builtin_memcpy(p, &v, sizeof v); }

VOLMAR_INLINE_KERNEL Doubles4 Broadcast4(double x) { return Doubles4{x, x, x, x}; }

// Screens narrowings of doubles to float for the one case in which
// static_cast<float>(s) can differ from rounding the exact value s stands for
// once: rounding to double, then to float, goes wrong only when s lands
// exactly on a midpoint of the float grid. For a normal float that is the
// bit pattern MayNarrowWrongly tests (the 29 dropped bits read 1000...0);
// in the subnormal float range every midpoint has |s| in [2^-150, 2^-126),
// double exponent field 873..896 (values below 2^-150, zeros included,
// always narrow correctly). The screen keeps, per 32-bit word, the least of
//   low word:  (low 29 bits) - 0x10000000    zero only for the midpoint pattern
//   high word: (exponent field << 20) - (873 << 20), wrapping
//                                            below 24 << 20 only in that range
// which costs three instructions per vector. Doubtful() may also answer yes
// for values that narrow correctly (a float in that range); the caller then
// takes the exact path, so the answer is always safe.
using Words8 = std::uint32_t __attribute__((vector_size(32)));

struct NarrowingScreen {
  Words8 least = ~Words8{};

  VOLMAR_INLINE_KERNEL void add(Doubles4 s) {
    constexpr std::uint32_t Low = 0x1FFFFFFF, High = 0x7FF00000;
    constexpr std::uint32_t LowOffset = 0xF0000000u, HighOffset = 0u - (873u << 20);
    const Words8 w = (reinterpret_cast<Words8>(s) & Words8{Low, High, Low, High, Low, High, Low, High}) +
                     Words8{LowOffset, HighOffset, LowOffset, HighOffset, LowOffset, HighOffset,
                            LowOffset, HighOffset};
    least = w < least ? w : least;
  }
  VOLMAR_INLINE_KERNEL void add(const NarrowingScreen& other) {
    least = other.least < least ? other.least : least;
  }
  VOLMAR_INLINE_KERNEL bool doubtful() const {
    bool any = false;
    for (int l = 0; l < VectorLanes; ++l)
      any |= (least[2 * l] == 0) | (least[2 * l + 1] < (24u << 20));
    return any;
  }
};

}  // namespace volmar::detail
