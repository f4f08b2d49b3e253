// Framework arrays: counted objects of one element type, one or two dimensions,
// an upper bound per dimension (-1 for an empty dimension).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/object.h"

namespace platform {

// Live framework arrays, counted for leak checks in tests.
int64_t LiveArrayCount() noexcept;

class ArrayBase : public Object {
 public:
  ArrayBase();
  ~ArrayBase() override;
};

// One dimension, indices 0..Ubound.
template <class T>
class Array1 final : public ArrayBase {
 public:
  explicit Array1(int32_t ubound);
  // Out-of-range indices raise OutOfBoundsException.
  const T& get(int32_t i) const;
  void set(int32_t i, T value);
  // New upper bound; cells inside keep their values, new cells are empty.
  void Redim(int32_t ubound);
  int32_t Ubound(int32_t dimension = 1) const;

 private:
  std::vector<T> cells_;
};

// Two dimensions, indices (0..Ubound(1), 0..Ubound(2)).
template <class T>
class Array2 final : public ArrayBase {
 public:
  Array2(int32_t ubound1, int32_t ubound2);
  const T& get(int32_t i, int32_t j) const;
  void set(int32_t i, int32_t j, T value);
  // New bounds; every cell inside both old and new bounds keeps its value, new cells are empty.
  void Redim(int32_t ubound1, int32_t ubound2);
  int32_t Ubound(int32_t dimension) const;

 private:
  size_t offset(int32_t i, int32_t j) const;
  int32_t ub1_ = -1, ub2_ = -1;
  std::vector<T> cells_;  // row-major
};

extern template class Array1<String>;
extern template class Array1<int32_t>;
extern template class Array1<Ref<Object>>;
extern template class Array2<int32_t>;
extern template class Array2<String>;

using TextArray = Array1<String>;
using Int32Array = Array1<int32_t>;
using Int32Array2 = Array2<int32_t>;

// A new array of element type T (String, int32_t, Ref<Object>) with the given
// upper bound per dimension, every cell empty.
template <class T>
Ref<Array1<T>> CreateArray(int32_t ubound) {
  return Ref<Array1<T>>(new Array1<T>(ubound));
}
template <class T>
Ref<Array2<T>> CreateArray(int32_t ubound1, int32_t ubound2) {
  return Ref<Array2<T>>(new Array2<T>(ubound1, ubound2));
}

}  // namespace platform
