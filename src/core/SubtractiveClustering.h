#pragma once

#include <cstdlib>
#include <memory>
#include <vector>

#include "core/Workspace.h"

namespace volmar {

// Rows 1..NumCases of DataMatrix as doubles, columns padded with zeros to a
// multiple of four and every row 32-byte aligned: the form the kernels
// below read. Made once per clustering and kept for all its passes.
class ClusterRows {
 public:
  explicit ClusterRows(const Workspace& ws);

  int cases() const { return n_; }
  int stride() const { return stride_; }
  // Case i + 1 (0-based).
  const double* row(int i) const {
    return data_.get() + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride_);
  }

 private:
  struct Free {
    void operator()(double* p) const { std::free(p); }
  };
  int n_, stride_;
  std::unique_ptr<double, Free> data_;
};

// Density potentials of subtractive clustering over the cases (rows 1..NumCases of
// DataMatrix): P(i) = sum over all cases j (j = i included, adding 1) of
// exp(-alpha * d(i, j)), d the squared Euclidean distance over variables
// 1..NumVars accumulated in 64 bits. potentials[i - 1] receives P(i).
//
// The sums are taken in one fixed order, whatever the number of threads:
// cases fall into tiles of PotentialTile; P(i) adds up the tiles' partial
// sums in tile order, each partial sum adding its terms in case order (see
// the .cpp). Each pair is evaluated once and serves both of its cases.
// A distance is the sum of four interleaved partial sums (variables 1, 5, 9,
// ...; 2, 6, ...; ...) joined as (s1 + s2) + (s3 + s4), each term added
// with one rounding (the exact square added to the partial sum, as an
// extended intermediate would): the order and rounding of the vector kernel,
// reproduced exactly on processors without it. The terms use the vector
// exponential of the system's vector math library on processors with AVX2
// and FMA, and std::exp elsewhere; the two agree to about one unit in the
// last place, so potentials may differ in their last bits between such
// processors, never between runs or thread counts on one machine.
// threads = 0 takes one per core.
void subtractivePotentials(const ClusterRows& rows, double alpha, std::vector<double>& potentials,
                           int threads = 0);

// The squared Euclidean distance of cases i and j in the order described
// above (the same value the potentials use).
double clusterDistance(const ClusterRows& rows, int i, int j);

// Makes the routines above use the portable kernel (true) even where the
// vector kernel could run, so that the two can be compared.
void usePortablePotentialKernel(bool portable);

// P(i) := P(i) - pstar * exp(-beta * d(i, m)) for every case.
void reducePotentials(const ClusterRows& rows, std::vector<double>& potentials, int m, double pstar,
                      double beta);

// Exponent beyond which exp(-x) is exactly 0 in double precision: the terms
// of such pairs are skipped without calling exp.
inline constexpr double ExpUnderflowArgument = 746.0;

inline constexpr int PotentialTile = 128;

}  // namespace volmar
