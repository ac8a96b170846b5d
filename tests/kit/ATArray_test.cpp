#include "kit/ATArray.h"

#include <gtest/gtest.h>

namespace {

TEST(ATArray, EmptyArrayHandsOutNullData) {
  ATNumberArray<uint16_t> a;
  EXPECT_EQ(a.Data(), nullptr);
  EXPECT_EQ(a.Length(), 0u);
  a.Append(7);
  EXPECT_NE(a.Data(), nullptr);
  a.Clear();
  EXPECT_EQ(a.Data(), nullptr);
}

TEST(ATArray, InsertRemoveAndPrependClipToBounds) {
  ATArray<int> a{1, 2, 3};
  a.Insert(1, 9, 2);
  EXPECT_EQ(a, (ATArray<int>{1, 9, 9, 2, 3}));
  a.Insert(100, 4);
  EXPECT_EQ(a, (ATArray<int>{1, 9, 9, 2, 3, 4}));
  a.Remove(4, 100);
  EXPECT_EQ(a, (ATArray<int>{1, 9, 9, 2}));
  a.Remove(10, 1);
  EXPECT_EQ(a.Length(), 4u);
  a.Prepend(ATArray<int>{0});
  EXPECT_EQ(a, (ATArray<int>{0, 1, 9, 9, 2}));
  // Inserting an element of the array itself copies it first.
  a.Insert(0, a[4], 3);
  EXPECT_EQ(a, (ATArray<int>{2, 2, 2, 0, 1, 9, 9, 2}));
}

TEST(ATArray, SubArraySortAndDuplicates) {
  ATArray<int> a{5, 3, 5, 1, 3};
  ATArray<int> sub;
  a.GetSubArray(sub, 3, 10);
  EXPECT_EQ(sub, (ATArray<int>{1, 3}));
  a.GetSubArray(sub, 9, 1);
  EXPECT_TRUE(sub.IsEmpty());
  a.Sort();
  a.RemoveDuplicates();
  EXPECT_EQ(a, (ATArray<int>{1, 3, 5}));
  a.Append(a);
  EXPECT_EQ(a, (ATArray<int>{1, 3, 5, 1, 3, 5}));
}

TEST(ATArray, GrowingZeroFills) {
  ATNumberArray<double> a;
  a.SetLength(3);
  EXPECT_EQ(a[0] + a[1] + a[2], 0.0);
}

}  // namespace
