#pragma once

// Helpers for the learning-engine tests: small workspaces filled by hand or
// from a fixed pseudo-random stream of their own.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "core/Workspace.h"

namespace volmar::testing {

inline std::unique_ptr<Workspace> MakeWorkspace(int kind = DistEuclidean) {
  auto ws = Workspace::create();
  ws->DistanceKind = kind;
  return ws;
}

// Sets NumCases/NumVars and the data rows.
inline void SetData(Workspace& ws, const std::vector<std::vector<float>>& rows) {
  ws.NumCases = static_cast<int>(rows.size());
  ws.NumVars = static_cast<int>(rows.front().size());
  for (int c = 1; c <= ws.NumCases; ++c)
    for (int v = 1; v <= ws.NumVars; ++v) ws.DataMatrix(c, v) = rows[c - 1][v - 1];
}

inline void SetPrototypes(Workspace& ws, const std::vector<std::vector<float>>& rows) {
  ws.NumPrototypes = static_cast<int>(rows.size());
  for (int k = 1; k <= ws.NumPrototypes; ++k)
    for (int v = 1; v <= static_cast<int>(rows[k - 1].size()); ++v)
      ws.Prototypes(k, v) = rows[k - 1][v - 1];
}

// A generator independent of the workspace's, so that filling data does not
// disturb the stream the routines draw from.
class TestStream {
 public:
  explicit TestStream(std::uint64_t seed) : s_(seed * 2862933555777941757ull + 3037000493ull) {}
  double uniform() {
    s_ = s_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(s_ >> 11) * (1.0 / 9007199254740992.0);
  }
  int below(int n) { return static_cast<int>(uniform() * n); }

 private:
  std::uint64_t s_;
};

// Random data in [lo, hi), optionally rounded to whole numbers so that equal
// distances (ties) are frequent.
inline void FillRandom(Workspace& ws, int cases, int vars, std::uint64_t seed, float lo = -3.0f,
                       float hi = 5.0f, bool whole = false) {
  TestStream r(seed);
  ws.NumCases = cases;
  ws.NumVars = vars;
  for (int c = 1; c <= cases; ++c)
    for (int v = 1; v <= vars; ++v) {
      float x = static_cast<float>(lo + (hi - lo) * r.uniform());
      if (whole) x = static_cast<float>(static_cast<int>(x));
      ws.DataMatrix(c, v) = x;
    }
}

// Prototypes 1..n := cases chosen by the test stream.
inline void SeedFromCases(Workspace& ws, int n, std::uint64_t seed) {
  TestStream r(seed);
  ws.NumPrototypes = n;
  for (int k = 1; k <= n; ++k) {
    const int c = 1 + r.below(ws.NumCases);
    for (int v = 1; v <= ws.NumVars; ++v) ws.Prototypes(k, v) = ws.DataMatrix(c, v);
  }
}

// The state the generator must hold so that its next draw returns
// target / 2^32 (the multiplier is odd, hence invertible modulo 2^32).
inline std::uint32_t StateBefore(std::uint32_t target) {
  std::uint32_t inv = 134775813u;  // Newton iteration for the inverse mod 2^32
  for (int i = 0; i < 5; ++i) inv *= 2u - 134775813u * inv;
  return (target - 1u) * inv;
}

}  // namespace volmar::testing
