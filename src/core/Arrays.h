#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace volmar {

// Fixed-size vector with 1-based indexing (Lo = 1) or any other lower bound.
template <typename T, int N, int Lo = 1>
class Vec {
 public:
  T& operator[](int i) {
    assert(i >= Lo && i < Lo + N);
    return cells_[static_cast<std::size_t>(i - Lo)];
  }
  const T& operator[](int i) const {
    assert(i >= Lo && i < Lo + N);
    return cells_[static_cast<std::size_t>(i - Lo)];
  }
  // Element with index Lo; kernels walk the entries from here.
  T* data() { return cells_.data(); }
  const T* data() const { return cells_.data(); }
  void fill(T v) { cells_.fill(v); }
  static constexpr int size() { return N; }

 private:
  alignas(64) std::array<T, N> cells_{};
};

// Fixed-size row-major matrix with 1-based row and column indexes.
// Rows are Stride elements apart (Stride >= Cols), so rows may be padded.
template <typename T, int Rows, int Cols, int Stride = Cols>
class Mat {
  static_assert(Stride >= Cols);

 public:
  T& operator()(int r, int c) {
    assert(r >= 1 && r <= Rows && c >= 1 && c <= Cols);
    return cells_[static_cast<std::size_t>(r - 1) * Stride + static_cast<std::size_t>(c - 1)];
  }
  const T& operator()(int r, int c) const {
    assert(r >= 1 && r <= Rows && c >= 1 && c <= Cols);
    return cells_[static_cast<std::size_t>(r - 1) * Stride + static_cast<std::size_t>(c - 1)];
  }
  // Pointer to column 1 of row r; the row's columns follow contiguously.
  T* row(int r) {
    assert(r >= 1 && r <= Rows);
    return cells_.data() + static_cast<std::size_t>(r - 1) * Stride;
  }
  const T* row(int r) const {
    assert(r >= 1 && r <= Rows);
    return cells_.data() + static_cast<std::size_t>(r - 1) * Stride;
  }
  void fill(T v) { cells_.fill(v); }
  static constexpr int rows() { return Rows; }
  static constexpr int cols() { return Cols; }
  static constexpr int stride() { return Stride; }

 private:
  alignas(64) std::array<T, static_cast<std::size_t>(Rows) * Stride> cells_{};
};

}  // namespace volmar
