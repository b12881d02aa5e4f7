#include <gtest/gtest.h>

#include "support/vecmath.h"

TEST(Vec4, ArithmeticMasksAndConversions)
{
    Vec4 a(1, 2, 3, 4), b(4, 3, 2, 1);
    Vec4 s = a + b;
    EXPECT_EQ(s.x, 5);
    EXPECT_EQ(s.w, 5);
    EXPECT_EQ((a - b).x, -3);
    EXPECT_EQ((a * 2.0f).z, 6);
    EXPECT_EQ((a / b).w, 4);
    EXPECT_EQ(signMask(cmpLt(a, b)), 0b0011);
    Vec4 sel = select(cmpGt(a, b), a, b);
    EXPECT_EQ(sel.x, 4);
    EXPECT_EQ(sel.w, 4);
    Int4 i = toInt(Vec4(1.5f, 2.5f, -1.4f, 0.6f));
    EXPECT_EQ(i.i[0], 2);  // round half to even
    EXPECT_EQ(i.i[1], 2);
    EXPECT_EQ(i.i[2], -1);
    EXPECT_EQ(i.i[3], 1);
    EXPECT_EQ(vabs(Vec4(-1, 2, -3, 0)).z, 3);
    EXPECT_EQ(lerp(a, b, 0.5f).x, 2.5f);
    EXPECT_EQ(dot3(a, b), 4 + 6 + 6);
    EXPECT_EQ(dot4(a, b), 4 + 6 + 6 + 4);
    Vec4 c = cross3(Vec4(1, 0, 0), Vec4(0, 1, 0));
    EXPECT_EQ(c.z, 1);
    Vec4 n = normalize3(Vec4(3, 4, 0));
    EXPECT_NEAR(length3(n), 1.0f, 0.002f);
}

TEST(Mat4, RowVectorConventionAndInverse)
{
    Mat4 t = Mat4::identity();
    t.r[3] = Vec4(10, 20, 30, 1);
    Vec4 p = transform(t, Vec4::point(1, 2, 3));
    EXPECT_EQ(p.x, 11);
    EXPECT_EQ(p.z, 33);
    EXPECT_EQ(transform(t, Vec4(1, 2, 3, 0)).x, 1);  // directions ignore translation

    Mat4 r = Mat4::rotationY(0.7f);
    EXPECT_FLOAT_EQ(r.r[0].z, std::sin(0.7f));
    EXPECT_FLOAT_EQ(r.r[2].x, -std::sin(0.7f));
    Mat4 m = r * t;
    Mat4 id = m * inverse(m);
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) EXPECT_NEAR(id.at(i, j), i == j ? 1.0f : 0.0f, 1e-5f);
    // a then b: the translation applies after the rotation
    Vec4 q = transform(m, Vec4::point(1, 0, 0));
    EXPECT_NEAR(q.x, 10 + std::cos(0.7f), 1e-5f);
    EXPECT_EQ(scaleAll(t, 2).r[3].w, 2);
}
