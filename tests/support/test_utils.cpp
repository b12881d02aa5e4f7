#include <gtest/gtest.h>

#include "support/utils.h"

TEST(FixedStr, AssignUpToCapacity)
{
    FixedStr<64> s;
    std::string s63(63, 'x');
    s.assign(s63.c_str());
    EXPECT_EQ(std::string(s.str), s63);
    s.assign(nullptr);
    EXPECT_STREQ(s.str, "");
    s.assign("abc", 3);
    EXPECT_STREQ(s.str, "abc");
}

TEST(FixedStrDeath, AssignOfFullCapacityFails)
{
    EXPECT_EXIT(
        {
            FixedStr<64> s;
            std::string s64(64, 'x');
            s.assign(s64.c_str());
        },
        ::testing::ExitedWithCode(100), "test_utils.cpp\\([0-9]+\\)|utils.h\\([0-9]+\\): failed ASSERT\\(l<BS\\)");
}

TEST(FixedStr, FormatIsBounded)
{
    FixedStr<8> s;
    s.format("%d-%s", 42, "abcdefgh");
    EXPECT_STREQ(s.str, "42-abcd");
}

TEST(AssertDeath, FailedAssertPrintsFileLineAndExpression)
{
    int n = -1;
    EXPECT_EXIT(ASSERT(n >= 0), ::testing::ExitedWithCode(100),
                "\n\n.*test_utils\\.cpp\\([0-9]+\\): failed ASSERT\\(n >= 0\\)\n");
    ASSERT(n < 0);  // a true assertion returns normally
}

TEST(Random64, FollowsTheRecurrence)
{
    Random64 r;
    EXPECT_EQ(r.state, 12345u);
    uint64_t s = 12345;
    for (int i = 0; i < 2; i++) {
        s = s * 0x5851F42D4C957F2Dull + 0x14057B7EF767814Full;
        EXPECT_EQ(r.next(), (uint32_t)(s >> 32));
        EXPECT_EQ(r.state, s);
    }
}

TEST(Random64, DerivedValuesConsumeOneDrawAndStayInRange)
{
    Random64 a, b;
    uint32_t r = a.next();
    EXPECT_FLOAT_EQ(b.nextUnit(), (float)(r / 4294967296.0));
    EXPECT_EQ(a.state, b.state);
    float v = b.nextRange(10.0f, 20.0f);
    a.next();
    EXPECT_EQ(a.state, b.state);
    EXPECT_GE(v, 10.0f);
    EXPECT_LT(v, 20.0f);

    // The largest draws must not round up to the closed end.
    EXPECT_LT(Random64::toUnit(0xFFFFFFFFu), 1.0f);
    Random64 top;
    for (uint32_t hi : {0xFFFFFFFFu, 0xFFFFFF80u, 0u}) {
        // Find a state whose next draw is hi: state' = hi << 32 means the state
        // before is the inverse step, so just check the pure mapping instead.
        float u = Random64::toUnit(hi);
        EXPECT_LT(u * 2.0f - 1.0f, 1.0f);
        EXPECT_GE(u * 2.0f - 1.0f, -1.0f);
    }
    for (int i = 0; i < 100000; i++) {
        float s = top.nextSigned();
        ASSERT_LT(s, 1.0f);
        ASSERT_GE(s, -1.0f);
    }
}
