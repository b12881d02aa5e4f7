// Culling of cached cubes: open sides, sides facing the eye, and cubes
// hidden behind nearer voxels, for all faces and for front faces only.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/voxel/testVolume.h"
#include "voxel/cubeCulling.h"

namespace {

CubeInstance cubeAt(int x, int y, int z, bool doubleSize = false)
{
    return makeCubeInstance(16 * x, 16 * y, 16 * z, 0xFF000000, doubleSize);
}

TEST(CubeCulling, SidesAreOpenNextToEmptyVoxelsAndAtTheVolumeSides)
{
    TestVolume t(8, 8, 4);
    t.fill(0, 0, 0, 7, 7, 3, 1);
    EXPECT_EQ(cubeOpenSides(t.view(), cubeAt(3, 3, 1)), 0);
    t.at(2, 3, 1) = 0;
    t.at(3, 4, 1) = 0;
    EXPECT_EQ(cubeOpenSides(t.view(), cubeAt(3, 3, 1)), CUBE_LEFT | CUBE_TOP);
    // Front and back neighbours are no sides.
    t.at(5, 5, 0) = 0;
    EXPECT_EQ(cubeOpenSides(t.view(), cubeAt(5, 5, 1)), 0);
    EXPECT_EQ(cubeOpenSides(t.view(), cubeAt(0, 6, 2)), CUBE_LEFT);
    EXPECT_EQ(cubeOpenSides(t.view(), cubeAt(7, 0, 2)), CUBE_RIGHT | CUBE_BOTTOM);
    // A double cube's side is open when any of the four voxels beside it is
    // empty: here one voxel, behind, on its right.
    t.fill(0, 0, 0, 7, 7, 3, 1);
    EXPECT_EQ(cubeOpenSides(t.view(), cubeAt(2, 2, 0, true)), 0);
    t.at(4, 3, 1) = 0;
    EXPECT_EQ(cubeOpenSides(t.view(), cubeAt(2, 2, 0, true)), CUBE_RIGHT);
    EXPECT_EQ(cubeOpenSides(t.view(), cubeAt(6, 6, 2, true)), CUBE_RIGHT | CUBE_TOP);
}

TEST(CubeCulling, EyeBoxesAreAlignedAndSidesFaceSomeEyeOfTheBox)
{
    EyeBox e = eyeBoxAround(20.3f, -3.0f, -120.0f, HUGE_VALF, HUGE_VALF);
    EXPECT_EQ(e.x0, 16.0f);
    EXPECT_EQ(e.x1, 24.0f);
    EXPECT_EQ(e.y0, -8.0f);
    EXPECT_EQ(e.y1, 0.0f);
    EXPECT_EQ(e.z, -120.0f);
    EXPECT_EQ(cubeFacingSides(cubeAt(30, 10, 5), e), CUBE_LEFT | CUBE_BOTTOM);
    EXPECT_EQ(cubeFacingSides(cubeAt(10, -20, 5), e), CUBE_RIGHT | CUBE_TOP);
    // Inside the box's columns both x sides can face an eye; a side in the
    // plane of the box's edge faces none.
    EXPECT_EQ(cubeFacingSides(cubeAt(20, -1, 5), e), CUBE_LEFT | CUBE_RIGHT | CUBE_BOTTOM);
    EXPECT_EQ(cubeFacingSides(cubeAt(14, 10, 5, true), e), CUBE_RIGHT | CUBE_BOTTOM);
}

// Off screen for every eye of the box: past the edge that the leftmost (or
// rightmost) eye sees at the cube's back.
TEST(CubeCulling, CubesBeyondTheScreenEdgesOfEveryEye)
{
    EyeBox e = eyeBoxAround(20.0f, 0.0f, -120.0f, 0.5f, 0.25f);  // x 16..24, y 0..8
    // At depth 1 (121 voxels from the eyes) x -44.5 .. 84.5 and y -30.25 .. 38.25 show.
    EXPECT_FALSE(cubeOffScreen(cubeAt(84, 0, 0), e));
    EXPECT_TRUE(cubeOffScreen(cubeAt(85, 0, 0), e));
    EXPECT_FALSE(cubeOffScreen(cubeAt(-45, 0, 0), e));
    EXPECT_TRUE(cubeOffScreen(cubeAt(-46, 0, 0), e));
    EXPECT_TRUE(cubeOffScreen(cubeAt(0, 39, 0), e));
    EXPECT_FALSE(cubeOffScreen(cubeAt(0, 38, 0), e));
    EXPECT_TRUE(cubeOffScreen(cubeAt(0, -32, 0), e));
    // Deeper the screen is wider: at depth 11 x up to 89.5 shows.
    EXPECT_FALSE(cubeOffScreen(cubeAt(88, 0, 10), e));
    // A double cube is as wide as two.
    EXPECT_FALSE(cubeOffScreen(cubeAt(-46, 0, 0, true), e));
    EyeBox everywhere = eyeBoxAround(20.0f, 0.0f, -120.0f, HUGE_VALF, HUGE_VALF);
    EXPECT_FALSE(cubeOffScreen(cubeAt(100000, 0, 0), everywhere));
}

struct Wall : ::testing::Test {
    TestVolume t{64, 64, 20};
    EyeBox eyes = eyeBoxAround(10.0f, 34.0f, -120.0f, HUGE_VALF, HUGE_VALF);  // x 8..16, y 32..40
    CellRect looked;
    bool hidden(int x, int y, int z) { return cubeHiddenBehindSolid(t.view(), cubeAt(x, y, z), eyes, &looked); }
    bool frontHidden(int x, int y, int z) { return cubeFrontHidden(t.view(), cubeAt(x, y, z), eyes, &looked); }
};

TEST_F(Wall, ACubeBehindASolidWallIsHiddenUnlessALineOfSightGetsThrough)
{
    t.fill(0, 0, 0, 63, 63, 1, 3);  // the wall: layers 0 and 1
    EXPECT_TRUE(hidden(60, 34, 16));
    EXPECT_TRUE(frontHidden(60, 34, 16));
    // Lines of sight from x 8..16 to x 60..61 at depth 16..17 cross the wall
    // at x 53.7..56.2, well left of the cube: a hole right in front of the
    // cube changes nothing, one where the lines cross shows it.
    t.fill(60, 30, 0, 61, 38, 1, 0);
    EXPECT_TRUE(hidden(60, 34, 16));
    t.fill(55, 30, 0, 55, 38, 1, 0);
    EXPECT_FALSE(hidden(60, 34, 16));
    EXPECT_FALSE(frontHidden(60, 34, 16));
    // Nothing hides a cube on the front layer, or one whose lines of sight
    // come from beyond the volume's columns (an eye left of the level).
    EXPECT_FALSE(hidden(20, 20, 0));
    EXPECT_TRUE(hidden(0, 34, 10));
    eyes = eyeBoxAround(-10.0f, 34.0f, -120.0f, HUGE_VALF, HUGE_VALF);
    EXPECT_FALSE(hidden(0, 34, 10));
}

TEST_F(Wall, TheColumnsReadAreReported)
{
    t.fill(0, 0, 0, 63, 63, 1, 3);
    EXPECT_TRUE(hidden(60, 34, 16));
    EXPECT_TRUE(looked.overlaps(54, 34, 54, 34));
    EXPECT_FALSE(looked.overlaps(60, 34, 63, 34));
    EXPECT_FALSE(looked.overlaps(0, 0, 40, 63));
}

// A front whose depth alternates from column to column: every line of sight
// passes through solid voxels, but some enter them through side faces, which
// are not drawn when only fronts are. Only the whole-cube test hides the cube.
TEST_F(Wall, FrontsOnlyHideWhatNearerFrontsCover)
{
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) t.fill(x, y, (x + y) % 2 ? 2 : 1, x, y, 5, 4);
    EXPECT_TRUE(hidden(40, 34, 10));
    EXPECT_FALSE(frontHidden(40, 34, 10));
    // Fill the gaps: one flat front at layer 1.
    t.fill(0, 0, 1, 63, 63, 5, 4);
    EXPECT_TRUE(frontHidden(40, 34, 10));
    // A voxel on the front of the shadow pushed back: that column's front is
    // no longer at layer 1, and at no other layer are all fronts.
    looked = CellRect();
    EXPECT_TRUE(frontHidden(40, 34, 10));
    t.at(looked.x0, looked.y0, 1) = 0;
    EXPECT_FALSE(frontHidden(40, 34, 10));
    EXPECT_TRUE(hidden(40, 34, 10));
}

}  // namespace
