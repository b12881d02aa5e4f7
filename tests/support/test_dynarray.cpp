#include <gtest/gtest.h>

#include "support/dynArray.h"

namespace {

void fill(DynArray<char>& a, const char* s)
{
    for (; *s; s++) a.append(*s);
}
std::string str(const DynArray<char>& a) { return std::string(a.data, a.data + a.num); }

}  // namespace

TEST(DynArray, GrowthFollowsTheCapacityRules)
{
    DynArray<int> a;
    EXPECT_EQ(a.data, nullptr);
    a.insert(0, 1, nullptr);
    EXPECT_EQ(a.cap, 8);
    EXPECT_EQ(a[0], 0);
    for (int i = 1; i < 8; i++) a.append(i);
    EXPECT_EQ(a.cap, 8);
    a.append(8);  // the ninth element doubles the block
    EXPECT_EQ(a.cap, 16);
    EXPECT_EQ(a.num, 9);
    EXPECT_EQ(a[8], 8);

    DynArray<int> b;
    b.reserve(1, 16);
    EXPECT_EQ(b.cap, 17);  // need + minCap

    DynArray<int> c;
    c.setCapacity(10);
    for (int i = 0; i < 10; i++) c.append(i);
    c.reserve(1, 16);
    EXPECT_EQ(c.cap, 20);  // doubling already covers the need

    c.setCapacity(5);  // never shrinks
    EXPECT_EQ(c.cap, 20);
}

TEST(DynArray, InsertBeyondDoubleAddsSlack)
{
    DynArray<int> a;
    a.setCapacity(4);
    int src[20] = {};
    a.insert(0, 20, src);
    EXPECT_EQ(a.cap, 28);  // num + n + 8 when doubling falls short
}

TEST(DynArray, RemovalsKeepOrWithdrawOrder)
{
    DynArray<char> a;
    fill(a, "ABCD");
    a.removeFast(1, 1);
    EXPECT_EQ(str(a), "ADC");
    a.removeFast(2, 1);  // the last index just shortens
    EXPECT_EQ(str(a), "AD");

    DynArray<char> b;
    fill(b, "ABCD");
    b.remove(1, 2);
    EXPECT_EQ(str(b), "AD");

    DynArray<char> c;
    fill(c, "ABCDEF");
    c.removeFast(0, 2);  // two tail elements fill the gap
    EXPECT_EQ(str(c), "EFCD");
    int cap = c.cap;
    c.clear();
    EXPECT_EQ(c.num, 0);
    EXPECT_EQ(c.cap, cap);
}

TEST(DynArray, SetNumGrowsExactlyAndZeroFills)
{
    DynArray<int> a;
    a.append(7);
    a.setNum(13);
    EXPECT_EQ(a.cap, 13);
    EXPECT_EQ(a.num, 13);
    EXPECT_EQ(a[0], 7);
    for (int i = 1; i < 13; i++) EXPECT_EQ(a[i], 0);
    a.setNum(2);
    EXPECT_EQ(a.num, 2);
    EXPECT_EQ(a.cap, 13);
}

TEST(DynArray, AppendOfOwnElementSurvivesGrowth)
{
    DynArray<int> a;
    for (int i = 0; i < 8; i++) a.append(i + 100);
    a.append(a[3]);  // reallocates while the source lives in the old block
    EXPECT_EQ(a.last(), 103);
}

TEST(DynArrayDeath, BrokenArgumentsAreFatal)
{
    EXPECT_EXIT(
        {
            DynArray<int> a;
            a.setNum(-1);
        },
        ::testing::ExitedWithCode(100), "failed ASSERT\\(n>=0\\)");
    EXPECT_EXIT(
        {
            DynArray<int> a;
            a.last();
        },
        ::testing::ExitedWithCode(100), "failed ASSERT\\(num>0\\)");
    EXPECT_EXIT(
        {
            DynArray<int> a;
            a.append(1);
            a.remove(0, 2);
        },
        ::testing::ExitedWithCode(100), "failed ASSERT\\(at\\+n<=num\\)");
    EXPECT_EXIT(
        {
            DynArray<int> a;
            a.insert(1, 1, nullptr);
        },
        ::testing::ExitedWithCode(100), "failed ASSERT\\(at>=0 && at<=num\\)");
}
