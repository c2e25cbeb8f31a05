#include "base/ovPtrArray.h"

#include <gtest/gtest.h>

TEST(PtrArray, GrowsBySixteenThenDoubles) {
    ovPtrArray<int> array;
    EXPECT_EQ(array.setSize(0), ovS_OK);
    EXPECT_EQ(array.capacity(), 0);

    int values[40];
    EXPECT_EQ(array.append(&values[0]), ovS_OK);
    EXPECT_EQ(array.capacity(), 16);
    for (int i = 1; i < 16; ++i)
        array.append(&values[i]);
    EXPECT_EQ(array.capacity(), 16);
    array.append(&values[16]);
    EXPECT_EQ(array.capacity(), 32);
    EXPECT_EQ(array.count(), 17);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(array[i], &values[i]);
}

TEST(PtrArray, SetSizeReservesWithoutCounting) {
    ovPtrArray<int> array;
    int value = 0;
    array.append(&value);
    ASSERT_EQ(array.capacity(), 16);
    EXPECT_EQ(array.setSize(100), ovS_OK);
    EXPECT_EQ(array.capacity(), 100); // larger than 16 + 16, so exactly what was asked
    EXPECT_EQ(array.count(), 1);
    EXPECT_EQ(array.setSize(50), ovS_OK); // fits already: nothing changes
    EXPECT_EQ(array.capacity(), 100);
    EXPECT_EQ(array[0], &value);
    EXPECT_EQ(array.setSize(-1), ovE_INVALIDARG);
    EXPECT_EQ(array.setSize(0), ovS_OK);
    EXPECT_EQ(array.count(), 0);
    EXPECT_EQ(array.capacity(), 0);
}

TEST(PtrArray, RemoveAtKeepsOrderAndChecksBounds) {
    ovPtrArray<int> array;
    int v[4];
    for (int& x : v)
        array.append(&x);
    EXPECT_EQ(array.removeAt(-1), ovE_INVALIDARG);
    EXPECT_EQ(array.removeAt(4), ovE_INVALIDARG);
    EXPECT_EQ(array.removeAt(3), ovS_OK);
    ASSERT_EQ(array.count(), 3);
    EXPECT_EQ(array[0], &v[0]);
    EXPECT_EQ(array[2], &v[2]);
    EXPECT_EQ(array.removeAt(0), ovS_OK);
    EXPECT_EQ(array[0], &v[1]);
    EXPECT_EQ(array[1], &v[2]);
    EXPECT_EQ(array.capacity(), 16); // the block is not shrunk
    EXPECT_EQ(array.indexOf(&v[2]), 1);
    EXPECT_EQ(array.indexOf(&v[0]), -1);
}
