// The pixel-art projection: scale thresholds, projection values, snapping.
#include <gtest/gtest.h>

#include "voxel/pixelScale.h"

namespace {

TEST(PixelScale, FollowsTheHeightIn120RowSteps)
{
    EXPECT_EQ(pixelScaleFor(100), 1);
    EXPECT_EQ(pixelScaleFor(239), 1);
    EXPECT_EQ(pixelScaleFor(240), 2);
    EXPECT_EQ(pixelScaleFor(359), 2);
    EXPECT_EQ(pixelScaleFor(360), 3);
    EXPECT_EQ(pixelScaleFor(720), 6);
    EXPECT_EQ(pixelScaleFor(1080), 9);
    EXPECT_EQ(pixelScaleFor(2160), 18);
}

TEST(PixelScale, ProjectionAt720pShows213By120Voxels)
{
    PixelView v = computePixelView(1280, 720);
    EXPECT_EQ(v.scale, 6);
    EXPECT_FLOAT_EQ(v.projection.at(0, 0), 1.125f);
    EXPECT_FLOAT_EQ(v.projection.at(1, 1), 2.0f);
    EXPECT_FLOAT_EQ(v.projection.at(2, 2), 2000.0f / 1999.0f);
    EXPECT_FLOAT_EQ(v.projection.at(2, 3), 1.0f);
    EXPECT_FLOAT_EQ(v.projection.at(3, 2), -2000.0f / 1999.0f);
    EXPECT_FLOAT_EQ(v.eyeOffset.z, -120.0f);
    EXPECT_FLOAT_EQ(v.centre.x, 106.0f);
    EXPECT_FLOAT_EQ(v.centre.y, 60.0f);

    // A point on the front plane at the screen's right edge maps to clip x = 1.
    Vec4 eye = snappedEye(v, Vec4(0, 0, 0, 1));
    Mat4 vp = viewMatrixFor(eye) * v.projection;
    float halfWidth = 1280.0f / 6.0f / 2.0f;  // 106.67 voxels
    Vec4 p = transform(vp, Vec4(eye.x + halfWidth, eye.y, 0, 1));
    EXPECT_NEAR(p.x / p.w, 1.0f, 1e-5f);
    Vec4 q = transform(vp, Vec4(eye.x, eye.y + 60.0f, 0, 1));
    EXPECT_NEAR(q.y / q.w, 1.0f, 1e-5f);
}

TEST(PixelScale, CameraMovesInWholeScreenPixels)
{
    PixelView v = computePixelView(1280, 720);
    Vec4 a = snappedEye(v, Vec4(100.01f, 50.02f, 0, 1));
    Vec4 b = snappedEye(v, Vec4(100.05f, 49.95f, 0, 1));
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_FLOAT_EQ(a.x, 100.0f + 0.5f / 6.0f);
    Vec4 c = snappedEye(v, Vec4(100.1f, 50.0f, 0, 1));
    EXPECT_NEAR(c.x - a.x, 1.0f / 6.0f, 1e-4f);
}

}  // namespace
