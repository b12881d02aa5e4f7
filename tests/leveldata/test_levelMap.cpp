// Level map: the movement scans, the bullet trace, carving and chunk refresh.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gen/levelMap.h"

namespace {

struct RecordingListener : LevelChunkListener {
    struct Range {
        int col0, row0, col1, row1;
    };
    std::vector<Range> ranges;
    int allCount = 0;
    void markChunksStale(int col0, int row0, int col1, int row1) override
    {
        ranges.push_back({col0, row0, col1, row1});
    }
    void markAllChunksStale() override { ++allCount; }
};

class LevelMap : public ::testing::Test {
protected:
    void SetUp() override { std::memset(levelVolume, 0, sizeof(levelVolume)); }
    void TearDown() override { setLevelChunkListener(nullptr); }
    static void solid(int x, int y, uint8_t v = 5) { levelVoxel(x, y, LEVEL_COLLIDE_Z) = v; }
    static int countCleared(int z)
    {
        int n = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) n += levelVoxel(x, y, z) == 0;
        return n;
    }
};

TEST_F(LevelMap, ScanRightStopsShortOfTheBlockingColumn)
{
    solid(12, 5);
    int flags = 0;
    EXPECT_FLOAT_EQ(scanLevelX(10.0f, 12.5f, 4.0f, 6.0f, &flags), 11.99f);
    EXPECT_EQ(flags, CONTACT_RIGHT);

    solid(12, 5, 200);
    flags = 0;
    EXPECT_FLOAT_EQ(scanLevelX(10.0f, 12.5f, 4.0f, 6.0f, &flags), 11.99f);
    EXPECT_EQ(flags, CONTACT_RIGHT | CONTACT_EXIT);
}

TEST_F(LevelMap, ScanLeftStopsJustPastTheBlockingColumn)
{
    int flags = 0;
    EXPECT_FLOAT_EQ(scanLevelX(10.0f, 8.5f, 4.0f, 6.0f, &flags), 8.5f);
    EXPECT_EQ(flags, 0);

    solid(9, 4);
    EXPECT_FLOAT_EQ(scanLevelX(10.0f, 8.5f, 4.0f, 6.0f, &flags), 10.01f);
    EXPECT_EQ(flags, CONTACT_LEFT);
}

TEST_F(LevelMap, ScanTestsOnlyTheRowsTheEdgeCovers)
{
    // An edge from y 4.0 to 6.0 covers rows 4 and 5, not 3 or 6.
    solid(11, 3);
    solid(11, 6);
    int flags = 0;
    EXPECT_FLOAT_EQ(scanLevelX(10.0f, 14.0f, 4.0f, 6.0f, &flags), 14.0f);
    EXPECT_EQ(flags, 0);
    // A zero-height edge covers no row at all.
    solid(11, 4);
    EXPECT_FLOAT_EQ(scanLevelX(10.0f, 14.0f, 4.0f, 4.0f, &flags), 14.0f);
    EXPECT_EQ(flags, 0);
    EXPECT_FLOAT_EQ(scanLevelX(10.0f, 14.0f, 4.0f, 6.0f, &flags), 10.99f);
}

TEST_F(LevelMap, ScanFindsTheNearestOfSeveralBlockers)
{
    solid(20, 5);
    solid(15, 5);
    int flags = 0;
    EXPECT_FLOAT_EQ(scanLevelX(10.0f, 30.0f, 5.0f, 6.0f, &flags), 14.99f);
    flags = 0;
    EXPECT_FLOAT_EQ(scanLevelX(30.0f, 10.0f, 5.0f, 6.0f, &flags), 21.01f);
    EXPECT_EQ(flags, CONTACT_LEFT);
}

TEST_F(LevelMap, ScanVerticalLandsOnGroundAndBumpsCeilings)
{
    solid(7, 20);  // ground under a box spanning x 6..8
    int flags = 0;
    EXPECT_FLOAT_EQ(scanLevelY(22.0f, 19.0f, 6.0f, 8.0f, &flags), 21.01f);
    EXPECT_EQ(flags, CONTACT_DOWN);

    solid(7, 30, 192);  // exit material above
    flags = 0;
    EXPECT_FLOAT_EQ(scanLevelY(28.0f, 33.0f, 6.0f, 8.0f, &flags), 29.99f);
    EXPECT_EQ(flags, CONTACT_UP | CONTACT_EXIT);

    // Column 8 is outside an edge spanning 6..8.
    flags = 0;
    solid(8, 40);
    EXPECT_FLOAT_EQ(scanLevelY(38.0f, 45.0f, 6.0f, 8.0f, &flags), 45.0f);
    EXPECT_EQ(flags, 0);
}

TEST_F(LevelMap, ScanIndicesWrapAroundTheVolume)
{
    // Row -1 is row 255; column 4096 is column 0.
    solid(0, 255);
    int flags = 0;
    EXPECT_FLOAT_EQ(scanLevelX(4095.0f, 4097.0f, -1.0f, 0.0f, &flags), 4095.99f);
    EXPECT_EQ(flags, CONTACT_RIGHT);
}

TEST_F(LevelMap, ScanOfAnAbsurdDistanceEndsAndReportsTheFirstBlocker)
{
    int flags = 0;
    EXPECT_FLOAT_EQ(scanLevelX(0.0f, 1.0e12f, 5.0f, 6.0f, &flags), 1.0e12f);
    solid(100, 5);
    EXPECT_FLOAT_EQ(scanLevelX(0.0f, 1.0e12f, 5.0f, 6.0f, &flags), 99.99f);
    flags = 0;
    EXPECT_FLOAT_EQ(scanLevelX(NAN, 10.0f, 5.0f, 6.0f, &flags), 10.0f);
}

TEST_F(LevelMap, ClearCellsKeepsIndestructibleAndExitVoxels)
{
    const uint8_t before[] = {5, 127, 128, 200, 0, 1, 191, 255};
    for (int i = 0; i < 8; ++i) levelVoxel(100 + i, 50, 3) = before[i];
    // A wide box too, so the 16-byte path meets every value as well.
    for (int x = 0; x < 64; ++x) levelVoxel(200 + x, 50, 3) = before[x % 8];
    clearCells(90, 40, 0, 300, 60, 19, 0);
    const uint8_t after[] = {0, 0, 128, 200, 0, 0, 191, 255};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(levelVoxel(100 + i, 50, 3), after[i]) << i;
    for (int x = 0; x < 64; ++x) EXPECT_EQ(levelVoxel(200 + x, 50, 3), after[x % 8]) << x;
}

TEST_F(LevelMap, ClearCellsTouchesOnlyItsBox)
{
    std::memset(levelVolume, 7, sizeof(levelVolume));
    clearCells(10, 20, 3, 40, 25, 4, 0);
    EXPECT_EQ(levelVoxel(10, 20, 3), 0);
    EXPECT_EQ(levelVoxel(40, 25, 4), 0);
    EXPECT_EQ(levelVoxel(9, 20, 3), 7);
    EXPECT_EQ(levelVoxel(41, 20, 3), 7);
    EXPECT_EQ(levelVoxel(10, 19, 3), 7);
    EXPECT_EQ(levelVoxel(10, 26, 3), 7);
    EXPECT_EQ(levelVoxel(10, 20, 2), 7);
    EXPECT_EQ(levelVoxel(10, 20, 5), 7);
    size_t zeros = 0;
    for (uint8_t v : levelVolume) zeros += v == 0;
    EXPECT_EQ(zeros, 31u * 6u * 2u);
}

TEST_F(LevelMap, ClearCellsClampsToTheVolume)
{
    std::memset(levelVolume, 9, sizeof(levelVolume));
    clearCells(-50, -50, -5, 5000, 5000, 50, 0);
    for (size_t i = 0; i < sizeof(levelVolume); i += 4099) ASSERT_EQ(levelVolume[i], 0) << i;
    EXPECT_EQ(levelVoxel(LEVEL_W - 1, LEVEL_H - 1, LEVEL_D - 1), 0);
    // A box wholly outside changes nothing.
    std::memset(levelVolume, 9, sizeof(levelVolume));
    clearCells(LEVEL_W, 0, 0, LEVEL_W + 10, 10, 5, 0);
    clearCells(5, 10, 0, 4, 20, 5, 0);  // inverted
    EXPECT_EQ(levelVoxel(LEVEL_W - 1, 0, 0), 9);
    EXPECT_EQ(levelVoxel(5, 10, 0), 9);
}

TEST_F(LevelMap, BulletHoleIsASquareWithoutItsCorners)
{
    for (int R : {2, 4}) {
        std::memset(levelVolume, 3, sizeof(levelVolume));
        int x = 30, y = 30, Z = 15;
        clearCells(x - R, y - R + 1, 0, x + R, y + R - 1, Z, 0);
        clearCells(x - R + 1, y - R, 0, x + R - 1, y + R, Z, 0);
        int side = 2 * R + 1;
        EXPECT_EQ(countCleared(0), side * side - 4) << R;
        EXPECT_EQ(countCleared(Z), side * side - 4) << R;
        EXPECT_EQ(countCleared(Z + 1), 0) << R;
        EXPECT_EQ(levelVoxel(x - R, y - R, 0), 3);
        EXPECT_EQ(levelVoxel(x + R, y + R, 0), 3);
    }
}

TEST_F(LevelMap, RefreshMarksTheChunksAroundTheRegion)
{
    RecordingListener listener;
    refreshCells(0, 0, 0, 0, 0, 0);  // no listener yet: nothing to tell
    setLevelChunkListener(&listener);
    refreshCells(0, 0, 0, 0, 0, 0);
    refreshCells(15, 15, 0, 16, 16, 0);
    refreshCells(4090, 250, 0, 4200, 300, 19);
    refreshCells(-40, -40, 0, -20, -20, 0);  // wholly outside
    refreshCells(5000, 10, 0, 5100, 20, 0);
    ASSERT_EQ(listener.ranges.size(), 3u);
    auto r = listener.ranges[0];
    EXPECT_EQ(r.col0, 0);
    EXPECT_EQ(r.row0, 0);
    EXPECT_EQ(r.col1, 0);
    EXPECT_EQ(r.row1, 0);
    r = listener.ranges[1];
    EXPECT_EQ(r.col0, 0);
    EXPECT_EQ(r.row0, 0);
    EXPECT_EQ(r.col1, 1);
    EXPECT_EQ(r.row1, 1);
    r = listener.ranges[2];
    EXPECT_EQ(r.col0, 255);
    EXPECT_EQ(r.row0, 15);
    EXPECT_EQ(r.col1, LEVEL_CHUNK_COLS - 1);
    EXPECT_EQ(r.row1, LEVEL_CHUNK_ROWS - 1);
    refreshAllCells();
    EXPECT_EQ(listener.allCount, 1);
}

TEST_F(LevelMap, TraceHitsTheFirstSolidVoxelOnTheWay)
{
    levelVoxel(50, 20, 8) = 5;
    levelVoxel(60, 20, 8) = 5;
    LevelTraceHit hit;
    ASSERT_TRUE(traceLevel(0, Vec4::point(40.5f, 20.5f, 8.5f), Vec4::point(70.5f, 20.5f, 8.5f), &hit));
    EXPECT_EQ(hit.x, 50);
    EXPECT_EQ(hit.y, 20);
    EXPECT_EQ(hit.z, 8);
    EXPECT_NEAR(hit.fraction, 9.5f / 30.0f, 1e-6f);
    EXPECT_NEAR(hit.point.x, 50.0f, 1e-4f);
    // Backwards it meets the other one first.
    ASSERT_TRUE(traceLevel(0, Vec4::point(70.5f, 20.5f, 8.5f), Vec4::point(40.5f, 20.5f, 8.5f), &hit));
    EXPECT_EQ(hit.x, 60);
    EXPECT_NEAR(hit.point.x, 61.0f, 1e-4f);
}

TEST_F(LevelMap, TraceThicknessWidensAcrossTheMotionAndInDepth)
{
    // A horizontal shot: thickness widens in y and z, not in x.
    levelVoxel(50, 22, 10) = 5;
    LevelTraceHit hit;
    Vec4 a = Vec4::point(40.5f, 20.5f, 8.5f), b = Vec4::point(70.5f, 20.5f, 8.5f);
    EXPECT_FALSE(traceLevel(1, a, b, &hit));  // 2 rows and 2 layers off
    ASSERT_TRUE(traceLevel(2, a, b, &hit));
    EXPECT_EQ(hit.x, 50);
    EXPECT_EQ(hit.y, 20);
    EXPECT_EQ(hit.z, 8);

    // A vertical shot widens in x instead.
    std::memset(levelVolume, 0, sizeof(levelVolume));
    levelVoxel(22, 50, 8) = 5;
    a = Vec4::point(20.5f, 40.5f, 8.5f);
    b = Vec4::point(20.5f, 70.5f, 8.5f);
    ASSERT_TRUE(traceLevel(2, a, b, &hit));
    EXPECT_EQ(hit.x, 20);
    EXPECT_EQ(hit.y, 50);
    levelVoxel(22, 50, 8) = 0;
    levelVoxel(20, 50, 8 + 3) = 5;
    EXPECT_FALSE(traceLevel(2, a, b, &hit));
}

TEST_F(LevelMap, TraceStopsAtTheSegmentEnd)
{
    levelVoxel(50, 20, 8) = 5;
    LevelTraceHit hit;
    // Ends inside voxel 49: voxel 50 is never visited.
    EXPECT_FALSE(traceLevel(0, Vec4::point(40.5f, 20.5f, 8.5f), Vec4::point(49.9f, 20.5f, 8.5f), &hit));
    // Ends inside voxel 50: it is.
    EXPECT_TRUE(traceLevel(0, Vec4::point(40.5f, 20.5f, 8.5f), Vec4::point(50.1f, 20.5f, 8.5f), &hit));
    // Starting inside a solid voxel is a hit at fraction 0.
    ASSERT_TRUE(traceLevel(0, Vec4::point(50.5f, 20.5f, 8.5f), Vec4::point(55.5f, 20.5f, 8.5f), &hit));
    EXPECT_EQ(hit.fraction, 0.0f);
    EXPECT_EQ(hit.x, 50);
}

TEST_F(LevelMap, TraceWalksDiagonallyThroughEveryCrossedVoxel)
{
    // A diagonal through a wall one voxel thick cannot slip past it.
    for (int y = 0; y < 100; ++y) levelVoxel(60, y, 5) = 5;
    LevelTraceHit hit;
    ASSERT_TRUE(traceLevel(0, Vec4::point(10.2f, 10.7f, 5.5f), Vec4::point(90.9f, 77.1f, 5.5f), &hit));
    EXPECT_EQ(hit.x, 60);
    EXPECT_GT(hit.fraction, 0.0f);
    EXPECT_NEAR(hit.point.x, 60.0f, 1e-3f);
}

TEST_F(LevelMap, TraceOutsideTheVolume)
{
    std::memset(levelVolume, 1, sizeof(levelVolume));
    LevelTraceHit hit;
    // Never enters: beside the volume, or ending before it.
    EXPECT_FALSE(traceLevel(2, Vec4::point(-10, -10, 5), Vec4::point(10, -5, 5), &hit));
    EXPECT_FALSE(traceLevel(2, Vec4::point(-10, 300, 5), Vec4::point(10, 300, 5), &hit));
    EXPECT_FALSE(traceLevel(2, Vec4::point(100, 100, -30), Vec4::point(100, 100, -1), &hit));
    EXPECT_FALSE(traceLevel(2, Vec4::point(NAN, 100, 5), Vec4::point(100, 100, 5), &hit));
    // Entering from outside: the hit is where it enters.
    ASSERT_TRUE(traceLevel(0, Vec4::point(-10, 100.5f, 5.5f), Vec4::point(10, 100.5f, 5.5f), &hit));
    EXPECT_EQ(hit.x, 0);
    EXPECT_NEAR(hit.fraction, 0.5f, 1e-6f);
    ASSERT_TRUE(traceLevel(0, Vec4::point(5000, 100.5f, 5.5f), Vec4::point(4000, 100.5f, 5.5f), &hit));
    EXPECT_EQ(hit.x, LEVEL_W - 1);
    // Thickness reaching past the border reads nothing outside.
    ASSERT_TRUE(traceLevel(4, Vec4::point(0.5f, 0.5f, 0.5f), Vec4::point(0.5f, 0.5f, 0.5f), &hit));
    EXPECT_EQ(hit.x, 0);
}

}  // namespace
