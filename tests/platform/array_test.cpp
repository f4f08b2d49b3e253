#include "platform/array.h"

#include <gtest/gtest.h>

namespace platform::testing {
namespace {

TEST(Arrays, NewArrayHoldsEmptyCellsUpToItsUpperBound) {
  Ref<TextArray> names = CreateArray<String>(11);
  EXPECT_EQ(names->Ubound(1), 11);
  for (int32_t i = 0; i <= 11; ++i) EXPECT_EQ(names->get(i), "");
  Ref<Int32Array2> table = CreateArray<int32_t>(0, 19);
  EXPECT_EQ(table->Ubound(1), 0);
  EXPECT_EQ(table->Ubound(2), 19);
  for (int32_t j = 0; j <= 19; ++j) EXPECT_EQ(table->get(0, j), 0);
}

TEST(Arrays, RedimKeepsTheCellsInsideAndEmptiesTheNewOnes) {
  Ref<TextArray> a = CreateArray<String>(2);
  a->set(0, "C");
  a->set(2, "D");
  a->Redim(1);
  EXPECT_EQ(a->Ubound(1), 1);
  EXPECT_EQ(a->get(0), "C");
  a->Redim(4);
  EXPECT_EQ(a->get(0), "C");
  EXPECT_EQ(a->get(1), "");
  EXPECT_EQ(a->get(2), "") << "a cell cut off by the shrink comes back empty";
  EXPECT_EQ(a->get(4), "");
}

TEST(Arrays, TwoDimensionalRedimKeepsEachCellAtItsRowAndColumn) {
  Ref<Int32Array2> t = CreateArray<int32_t>(1, 2);
  for (int32_t i = 0; i <= 1; ++i) {
    for (int32_t j = 0; j <= 2; ++j) t->set(i, j, 10 * i + j + 1);
  }
  t->Redim(3, 1);  // more rows, fewer columns
  EXPECT_EQ(t->get(0, 0), 1);
  EXPECT_EQ(t->get(0, 1), 2);
  EXPECT_EQ(t->get(1, 0), 11);
  EXPECT_EQ(t->get(1, 1), 12);
  EXPECT_EQ(t->get(2, 0), 0);
  EXPECT_EQ(t->get(3, 1), 0);
  t->Redim(3, 4);  // columns come back empty
  EXPECT_EQ(t->get(1, 1), 12);
  EXPECT_EQ(t->get(1, 2), 0);
  EXPECT_EQ(t->get(0, 4), 0);
}

TEST(Arrays, IndexOutsideTheBoundsRaises) {
  Ref<Int32Array> a = CreateArray<int32_t>(3);
  EXPECT_THROW(a->get(4), OutOfBoundsException);
  EXPECT_THROW(a->get(-1), OutOfBoundsException);
  EXPECT_THROW(a->set(4, 1), OutOfBoundsException);
  Ref<Int32Array2> t = CreateArray<int32_t>(0, 2);
  EXPECT_THROW(t->get(1, 0), OutOfBoundsException);
  EXPECT_THROW(t->get(0, 3), OutOfBoundsException);
  EXPECT_THROW(t->set(0, -1, 5), OutOfBoundsException);
  EXPECT_THROW(t->Ubound(3), OutOfBoundsException);
  a->Redim(-1);
  EXPECT_EQ(a->Ubound(1), -1);
  EXPECT_THROW(a->get(0), OutOfBoundsException);
}

}  // namespace
}  // namespace platform::testing
