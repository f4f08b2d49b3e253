// Framework arrays: bounds-checked cells, resizing that keeps what stays inside.
#include "platform/array.h"

#include <algorithm>

namespace platform {

namespace {

int64_t gLiveArrays = 0;

[[noreturn]] void raiseOutOfBounds(int32_t index, int32_t ubound) {
  throw OutOfBoundsException("index " + std::to_string(index) + " is outside 0.." +
                             std::to_string(ubound));
}

void checkUbound(int32_t ubound) {
  if (ubound < -1) {
    throw OutOfBoundsException("upper bound " + std::to_string(ubound) + " is below -1");
  }
}

size_t cellCount(int32_t ubound) { return static_cast<size_t>(ubound + 1); }

}  // namespace

int64_t LiveArrayCount() noexcept { return gLiveArrays; }

ArrayBase::ArrayBase() { ++gLiveArrays; }
ArrayBase::~ArrayBase() { --gLiveArrays; }

template <class T>
Array1<T>::Array1(int32_t ubound) {
  checkUbound(ubound);
  cells_.resize(cellCount(ubound));
}

template <class T>
const T& Array1<T>::get(int32_t i) const {
  if (i < 0 || static_cast<size_t>(i) >= cells_.size()) raiseOutOfBounds(i, Ubound());
  return cells_[static_cast<size_t>(i)];
}

template <class T>
void Array1<T>::set(int32_t i, T value) {
  if (i < 0 || static_cast<size_t>(i) >= cells_.size()) raiseOutOfBounds(i, Ubound());
  cells_[static_cast<size_t>(i)] = std::move(value);
}

template <class T>
void Array1<T>::Redim(int32_t ubound) {
  checkUbound(ubound);
  cells_.resize(cellCount(ubound));
}

template <class T>
int32_t Array1<T>::Ubound(int32_t dimension) const {
  if (dimension != 1) raiseOutOfBounds(dimension, 1);
  return static_cast<int32_t>(cells_.size()) - 1;
}

template <class T>
Array2<T>::Array2(int32_t ubound1, int32_t ubound2) {
  Redim(ubound1, ubound2);
}

template <class T>
size_t Array2<T>::offset(int32_t i, int32_t j) const {
  if (i < 0 || i > ub1_) raiseOutOfBounds(i, ub1_);
  if (j < 0 || j > ub2_) raiseOutOfBounds(j, ub2_);
  return static_cast<size_t>(i) * cellCount(ub2_) + static_cast<size_t>(j);
}

template <class T>
const T& Array2<T>::get(int32_t i, int32_t j) const {
  return cells_[offset(i, j)];
}

template <class T>
void Array2<T>::set(int32_t i, int32_t j, T value) {
  cells_[offset(i, j)] = std::move(value);
}

template <class T>
void Array2<T>::Redim(int32_t ubound1, int32_t ubound2) {
  checkUbound(ubound1);
  checkUbound(ubound2);
  std::vector<T> cells(cellCount(ubound1) * cellCount(ubound2));
  const int32_t keepRows = std::min(ub1_, ubound1);
  const int32_t keepCols = std::min(ub2_, ubound2);
  for (int32_t i = 0; i <= keepRows; ++i) {
    for (int32_t j = 0; j <= keepCols; ++j) {
      cells[static_cast<size_t>(i) * cellCount(ubound2) + static_cast<size_t>(j)] =
          std::move(cells_[offset(i, j)]);
    }
  }
  cells_ = std::move(cells);
  ub1_ = ubound1;
  ub2_ = ubound2;
}

template <class T>
int32_t Array2<T>::Ubound(int32_t dimension) const {
  if (dimension == 1) return ub1_;
  if (dimension == 2) return ub2_;
  raiseOutOfBounds(dimension, 2);
}

template class Array1<String>;
template class Array1<int32_t>;
template class Array1<Ref<Object>>;
template class Array2<int32_t>;
template class Array2<String>;

}  // namespace platform
