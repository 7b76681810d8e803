#pragma once

// Inner loops shared by the distance routines and the presentation step.
// Internal to src/core.
//
// A distance is a sum over the variables taken in order, so the additions of
// one case-prototype pair cannot be regrouped without changing the result.
// The kernels therefore vectorise across prototypes instead: the prototypes
// are copied variable by variable into PrototypeColumns (w[i][k] = prototype
// k + 1, variable i + 1), and one vector lane accumulates one prototype's sum
// in exactly the order of the plain formula. Results are bit-identical to the
// one-pair routines (CaseDistance), which the tests check.

#include <cstdint>

#include "core/Limits.h"
#include "core/Workspace.h"

// The kernels are compiled for several instruction sets and the widest one the
// processor has is picked at load time. Contraction into fused multiply-adds
// stays off for every clone, and each operation is an IEEE operation with one
// rounding whatever the vector width, so the clones give identical results.
#if !defined(VOLMAR_NO_KERNEL_CLONES) && defined(__GNUC__) && !defined(__clang__) && \
    defined(__x86_64__) && defined(__linux__)
#define VOLMAR_VECTOR_CLONES \
  __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define VOLMAR_VECTOR_CLONES
#endif
#define VOLMAR_INLINE_KERNEL [[gnu::always_inline]] inline

namespace volmar::detail {

inline constexpr int LaneBlock = 4;      // prototypes per vector; lanes come in these
inline constexpr int ColumnWidth = 32;   // MaxPrototypes rounded up to LaneBlock
static_assert(ColumnWidth >= MaxPrototypes && ColumnWidth % LaneBlock == 0);

struct PrototypeColumns {
  // w[i][k]: variable i + 1 of prototype k + 1. w points to one of two
  // buffers; an update writes the other one and then makes it current.
  float (*w)[ColumnWidth] = buffers[0];
  alignas(64) double sww[ColumnWidth];  // sum of w^2 per prototype (Tanimoto only)
  int numVars = 0;
  int numProtos = 0;
  int lanes = 0;  // numProtos rounded up to LaneBlock

  // Copies rows 1..n of Prototypes (columns 1..NumVars); padding lanes are 0.
  void load(const Workspace& ws, int n);
  // Writes the columns back into rows 1..numProtos of Prototypes.
  void store(Workspace& ws) const;
  // Recomputes sww (after prototypes moved).
  void updateNorms();
  float (*spare())[ColumnWidth] { return w == buffers[0] ? buffers[1] : buffers[0]; }
  void useSpare() { w = spare(); }

  PrototypeColumns() = default;
  PrototypeColumns(const PrototypeColumns&) = delete;
  PrototypeColumns& operator=(const PrototypeColumns&) = delete;

 private:
  alignas(64) float buffers[2][MaxVars][ColumnWidth];
};

// out[k] = squared Euclidean distance of x to prototype k + 1, k < lanes.
void EuclideanDistances(const float* x, const PrototypeColumns& p, double* out);
// out[k] = Tanimoto distance of x to prototype k + 1, k < numProtos.
void TanimotoDistances(const float* x, const PrototypeColumns& p, double* out);

// out[k] = squared Euclidean distance of x to prototype k + 1, k < lanes,
// summed in float: a screen, not a result. It lies within
// ScreenError(numVars) of the exact value, relative, plus ScreenFloor.
void ScreeningDistances(const float* x, const PrototypeColumns& p, float* out);
inline constexpr double ScreenFloor = 1e-30;
inline double ScreenError(int numVars) { return (numVars + 4) * 0x1p-24 * 1.01; }

// out[p] = squared Euclidean distance of x[p] to w[p] (numVars values
// each), p < count <= PairBlock: CaseDistance bit for bit, several pairs
// summed side by side.
inline constexpr int PairBlock = 8;
void PairDistances(const float* const* x, const float* const* w, int count, int numVars, double* out);

inline void CaseDistances(int distanceKind, const float* x, const PrototypeColumns& p,
                          double* out) {
  if (distanceKind == DistTanimoto)
    TanimotoDistances(x, p, out);
  else
    EuclideanDistances(x, p, out);
}

// The winner search over d[0..n-1]; k is a 1-based prototype number, kept
// when no entry is below 1e10. Scanning upwards, an entry replaces the choice
// only when it is strictly below both the running bound (the chosen entry's
// distance rounded to a 32-bit float, 1e10 at the start) and the chosen
// entry's own distance. So an exact tie always keeps the lower number, and an
// entry smaller than the chosen one by less than the rounding step of a
// rounded-down bound does not replace it.
inline void FindNearestIn(const double* d, int n, int& k) {
  float bound = 1e10f;
  double chosen = 1e10;
  for (int j = 0; j < n; ++j) {
    if (d[j] < static_cast<double>(bound) && d[j] < chosen) {
      k = j + 1;
      bound = static_cast<float>(d[j]);
      chosen = d[j];
    }
  }
}

}  // namespace volmar::detail

namespace volmar::detail {

// The full ranking that N successive winner searches produce, each search
// taking the found prototype out of the rest (Dist := 1e10), computed without
// the N sequential scans. With f_j = d_j rounded to a 32-bit float, an entry
// of smaller f always replaces the choice and one of larger f never does, so
// the searches take the prototypes in increasing order of f. Within a group
// of equal f, only the entries that were rounded up (d_j < f_j) can replace
// a choice of the group, and then only by a strictly smaller d: they come
// first, by increasing d and then increasing number; the entries rounded down
// or exact follow in increasing number. (min(d_j, f_j) is a key that gives
// this order, equal keys by number.) ranking[1..n] receives 1-based
// prototype numbers, rankOf[j] (0-based j) the rank of prototype j + 1.
// Returns false, writing nothing, when some d_j is not below 1e10: the
// searches then repeat their carried-over winner and only the sequential
// scans give the result.
bool RankByNearest(const double* d, int n, std::int8_t* ranking, int* rankOf);

}  // namespace volmar::detail
