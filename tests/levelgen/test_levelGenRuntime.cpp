// The generator's building blocks: random choices, coordinate sets, tile
// stamping, spawning and template placement.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "game/bonus.h"
#include "game/enemy.h"
#include "game/explosive.h"
#include "game/gameObj.h"
#include "game/hero.h"
#include "gen/levelGenRuntime.h"
#include "gen/levelMap.h"
#include "gen/tileSet.h"
#include "tests/levelgen/levelGenFixture.h"

namespace {

// --- random choices -----------------------------------------------------------

TEST(RandomChoices, PicksFromNoneOrOneItemDrawNothing)
{
    const int items[3] = {10, 20, 30};
    random64.state = 777;
    EXPECT_EQ(randomPick(items, 1), &items[0]);
    EXPECT_EQ(randomPick(items, 0), nullptr);
    EXPECT_EQ(randomPick<int>(nullptr, 3), nullptr);
    EXPECT_EQ(random64.state, 777u);
}

TEST(RandomChoices, PickTakesTheDrawModuloTheCount)
{
    const int items[3] = {10, 20, 30};
    setNextDraw(7);
    EXPECT_EQ(*randomPick(items, 3), 20);
    setNextDraw(0xFFFFFFFF);  // 4294967295 mod 3 = 0
    EXPECT_EQ(*randomPick(items, 3), 10);
}

TEST(RandomChoices, ChanceTestsSplitAtTheirThresholds)
{
    setNextDraw(0x7FFFFFFF);
    EXPECT_FALSE(randomChance50());
    setNextDraw(0x80000000);
    EXPECT_TRUE(randomChance50());
    setNextDraw(0x3FFFFFFF);
    EXPECT_FALSE(randomChance75());
    setNextDraw(0x40000000);
    EXPECT_TRUE(randomChance75());
}

// --- coordinate sets --------------------------------------------------------------

TEST(CoordSets, RectanglePointsRunRowByRow)
{
    LevelGenCoordRect r(5, 7, 3, 2, 6);
    EXPECT_EQ(r.pointCount(), 6);
    LevelGenPoint p = r.point(4);
    EXPECT_EQ(p.x, 6);
    EXPECT_EQ(p.y, 8);
    // The count is kept as passed, as the ceiling's one-row rectangle needs.
    LevelGenCoordRect ceiling(0, 15, 129, 1, 129);
    EXPECT_EQ(ceiling.point(128).x, 128);
    EXPECT_EQ(ceiling.point(128).y, 15);
}

TEST(CoordSets, ListPointsAreShiftedPairs)
{
    const uint8_t pairs[] = {1, 2, 7, 4};
    LevelGenCoordList l(pairs, 2, 80, 5);
    EXPECT_EQ(l.pointCount(), 2);
    EXPECT_EQ(l.point(1).x, 87);
    EXPECT_EQ(l.point(1).y, 9);
}

TEST(CoordSetsDeathTest, IndexOutsideTheSetIsFatal)
{
    const uint8_t pairs[] = {1, 2};
    LevelGenCoordList l(pairs, 1, 0, 0);
    EXPECT_EXIT(l.point(1), testing::ExitedWithCode(100), "failed ASSERT\\(i>=0 && i<num\\)");
    LevelGenCoordRect r(0, 0, 2, 1, 2);
    EXPECT_EXIT(r.point(-1), testing::ExitedWithCode(100), "failed ASSERT\\(i>=0 && i<num\\)");
}

// --- stamping ---------------------------------------------------------------------

// A tile record with its voxels and name right behind it, as in a loaded blob.
class TestTile {
public:
    TestTile(int sx, int sy, int sz, int ox, int oy, int oz, std::vector<uint8_t> voxels)
    {
        size_t n = (size_t)sx * sy * sz;
        EXPECT_EQ(voxels.size(), n);
        bytes.assign(sizeof(LevelTile) + n + 2, 0);
        LevelTile* t = tile();
        t->sizeX = (uint16_t)sx;
        t->sizeY = (uint16_t)sy;
        t->sizeZ = (uint16_t)sz;
        t->originX = (int16_t)ox;
        t->originY = (int16_t)oy;
        t->originZ = (int16_t)oz;
        t->voxelLink = (int32_t)sizeof(LevelTile);
        t->nameLink = (int32_t)(sizeof(LevelTile) + n);
        memcpy(bytes.data() + sizeof(LevelTile), voxels.data(), n);
        bytes[sizeof(LevelTile) + n] = 't';
    }
    LevelTile* tile() { return (LevelTile*)bytes.data(); }

private:
    std::vector<uint8_t> bytes;
};

class Stamp : public testing::Test {
protected:
    void SetUp() override { memset(levelVolume, 0, sizeof(levelVolume)); }
};

TEST_F(Stamp, EachTileVoxelCoversTwoByTwoByTwo)
{
    TestTile t(2, 1, 1, 0, 0, 0, {7, 9});
    stampTile(t.tile(), 100, 50);
    for (int z = 0; z < 2; z++) {
        for (int y = 50; y < 52; y++) {
            EXPECT_EQ(levelVoxel(100, y, z), 7);
            EXPECT_EQ(levelVoxel(101, y, z), 7);
            EXPECT_EQ(levelVoxel(102, y, z), 9);
            EXPECT_EQ(levelVoxel(103, y, z), 9);
        }
    }
    EXPECT_EQ(levelVoxel(104, 50, 0), 0);
    EXPECT_EQ(levelVoxel(100, 52, 0), 0);
    EXPECT_EQ(levelVoxel(100, 50, 2), 0);
}

TEST_F(Stamp, VoxelDataRunsXThenYUpThenZ)
{
    // x + y * sizeX + z * sizeX * sizeY
    TestTile t(2, 2, 2, 0, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8});
    stampTile(t.tile(), 0, 0);
    EXPECT_EQ(levelVoxel(2, 0, 0), 2);
    EXPECT_EQ(levelVoxel(0, 2, 0), 3);
    EXPECT_EQ(levelVoxel(0, 0, 2), 5);
    EXPECT_EQ(levelVoxel(3, 3, 3), 8);
}

TEST_F(Stamp, ZeroKeepsTheLevelAndFlagOnlyBytesCarveIt)
{
    for (int x = 0; x < 10; x++)
        for (int y = 0; y < 2; y++)
            for (int z = 0; z < 2; z++) levelVoxel(x, y, z) = 33;
    TestTile t(5, 1, 1, 0, 0, 0, {0x00, 0x40, 0x80, 0xC0, 0x85});
    stampTile(t.tile(), 0, 0);
    EXPECT_EQ(levelVoxel(1, 1, 1), 33);
    EXPECT_EQ(levelVoxel(2, 0, 0), 0);
    EXPECT_EQ(levelVoxel(5, 1, 1), 0);
    EXPECT_EQ(levelVoxel(7, 0, 1), 0);
    EXPECT_EQ(levelVoxel(9, 1, 0), 0x85);
}

TEST_F(Stamp, OriginShiftsTheTileAndPicksItsFirstLayer)
{
    TestTile t(1, 1, 1, -3, 5, 10, {4});
    stampTile(t.tile(), 100, 100);
    EXPECT_EQ(levelVoxel(97, 105, 10), 4);
    EXPECT_EQ(levelVoxel(98, 106, 11), 4);
    EXPECT_EQ(levelVoxel(97, 105, 9), 0);
}

TEST_F(Stamp, FarEdgesClipWithoutWrapping)
{
    TestTile t(2, 2, 2, 0, 0, 0, std::vector<uint8_t>(8, 6));
    stampTile(t.tile(), LEVEL_W - 2, LEVEL_H - 2);
    EXPECT_EQ(levelVoxel(LEVEL_W - 1, LEVEL_H - 1, 3), 6);
    // Nothing wrapped round to the start of the next row or the volume.
    EXPECT_EQ(levelVoxel(0, LEVEL_H - 1, 0), 0);
    EXPECT_EQ(levelVoxel(0, 0, 0), 0);
    EXPECT_EQ(levelVoxel(1, 0, 1), 0);
    // Depth clips too: a tile starting at layer 19 writes layer 19 only.
    TestTile deep(1, 1, 2, 0, 0, 19, {8, 8});
    stampTile(deep.tile(), 500, 10);
    EXPECT_EQ(levelVoxel(500, 10, 19), 8);
    EXPECT_EQ(levelVoxel(500, 11, 0), 0);
}

TEST_F(Stamp, NearEdgesClipAndKeepTheTileAligned)
{
    TestTile t(3, 1, 1, 0, 0, 0, {1, 2, 3});
    stampTile(t.tile(), -3, 0);
    // Tile voxel 1 covers -1..0, tile voxel 2 covers 1..2.
    EXPECT_EQ(levelVoxel(0, 0, 0), 2);
    EXPECT_EQ(levelVoxel(1, 0, 0), 3);
    EXPECT_EQ(levelVoxel(2, 1, 1), 3);
    EXPECT_EQ(levelVoxel(3, 0, 0), 0);
    stampTile(nullptr, 0, 0);
    EXPECT_EQ(levelVoxel(0, 0, 0), 2);
}

TEST_F(Stamp, AVoxelHalfOutsideKeepsItsInsideHalf)
{
    TestTile t(2, 1, 1, 0, 0, 0, {4, 5});
    stampTile(t.tile(), LEVEL_W - 1, 10);
    EXPECT_EQ(levelVoxel(LEVEL_W - 1, 10, 0), 4);
    EXPECT_EQ(levelVoxel(LEVEL_W - 1, 11, 1), 4);
    EXPECT_EQ(levelVoxel(0, 11, 0), 0);
    EXPECT_EQ(levelVoxel(0, 10, 0), 0);
}

// A generation run collects its stamps and writes them layer by layer at the
// end; overlapping tiles, carves and transparency must come out as if each
// stamp had been written at once.
TEST_F(Stamp, ABatchGivesTheSameVoxelsAsStampingAtOnce)
{
    std::vector<uint8_t> wide(9 * 2 * 3), carver(3 * 3 * 2);
    for (size_t i = 0; i < wide.size(); i++) wide[i] = (uint8_t)(1 + i % 5);
    for (size_t i = 0; i < carver.size(); i++) carver[i] = i % 3 == 0 ? 0 : i % 3 == 1 ? 0x40 : 0x99;
    TestTile a(9, 2, 3, -1, 0, 7, wide), b(3, 3, 2, 3, -2, 8, carver), c(1, 1, 1, 0, 0, 19, {0x21});
    auto stampAll = [&] {
        stampTile(a.tile(), 100, 40);
        stampTile(b.tile(), 100, 40);
        stampTile(c.tile(), 101, 41);
        stampTile(a.tile(), LEVEL_W - 9, 0);
    };
    stampAll();
    uint64_t atOnce = volumeHash();
    memset(levelVolume, 0, sizeof(levelVolume));
    levelVoxel(5, 5, 5) = 77;  // the batch clears the volume first
    beginStampBatch();
    stampAll();
    EXPECT_EQ(levelVoxel(100, 40, 8), 0) << "a batch writes nothing before its end";
    endStampBatch();
    EXPECT_EQ(volumeHash(), atOnce);
    EXPECT_NE(levelVoxel(101, 41, 19), 0);
}

// The same with every stamp on even voxels, as the game's tiles are: the
// batch then takes its half-resolution path, which must agree to the voxel,
// at all six sides of the volume too.
TEST_F(Stamp, AnEvenlyPlacedBatchGivesTheSameVoxelsAsStampingAtOnce)
{
    std::vector<uint8_t> wide(21 * 3 * 4), carver(9 * 2 * 3), deep(2 * 2 * 3), block(8 * 5 * 2);
    for (size_t i = 0; i < wide.size(); i++) wide[i] = (uint8_t)(1 + i % 7);
    for (size_t i = 0; i < carver.size(); i++) carver[i] = i % 3 == 0 ? 0 : i % 3 == 1 ? 0xC0 : 0x99;
    for (size_t i = 0; i < deep.size(); i++) deep[i] = (uint8_t)(0x81 + i);
    // One block wide, the common case, stamped two rows at a time: an odd
    // number of rows, some transparent, some carving.
    for (size_t i = 0; i < block.size(); i++) block[i] = i % 5 == 0 ? 0 : i % 7 == 0 ? 0x80 : (uint8_t)(0x20 + i);
    TestTile a(21, 3, 4, -2, 0, 0, wide), b(9, 2, 3, 4, -2, 6, carver), c(2, 2, 3, 0, 0, 16, deep),
        d(8, 5, 2, 0, 0, 2, block);
    auto stampAll = [&] {
        stampTile(a.tile(), 100, 40);
        stampTile(b.tile(), 104, 40);  // overlaps a: carves, keeps and writes
        stampTile(a.tile(), 0, 0);     // starts two voxels left of the volume
        stampTile(a.tile(), LEVEL_W - 20, LEVEL_H - 4);
        stampTile(b.tile(), -10, LEVEL_H - 2);
        stampTile(c.tile(), 300, 8);           // layers 16..21, cut at 19
        stampTile(d.tile(), 104, 40);          // over a and b
        stampTile(d.tile(), 16, -4);           // its lowest two rows below the volume
        stampTile(d.tile(), 48, LEVEL_H - 6);  // its top two rows above it
    };
    stampAll();
    uint64_t atOnce = volumeHash();
    // Both ways of writing the volume, where the processor has both.
    bool avx2 = stampBatchUsesAvx2;
    for (bool wide : {false, avx2}) {
        stampBatchUsesAvx2 = wide;
        memset(levelVolume, 0xEE, sizeof(levelVolume));  // the batch writes every voxel
        beginStampBatch();
        stampAll();
        endStampBatch();
        EXPECT_EQ(volumeHash(), atOnce) << (wide ? "32-byte stores" : "16-byte stores");
    }
    stampBatchUsesAvx2 = avx2;
    EXPECT_EQ(levelVoxel(300, 8, 19), 0x81 + 4);                                     // second tile layer, first voxel
    EXPECT_EQ(levelVoxel(LEVEL_W - 1, LEVEL_H - 1, 7), 1 + (10 + 21 + 63 * 3) % 7);  // tile voxel (10, 1, 3)
}

TEST(StampGroup, DrawsOncePerPointOnlyWhenTheGroupHasAChoice)
{
    TestTile a(1, 1, 1, 0, 0, 0, {1}), b(1, 1, 1, 0, 0, 0, {2});
    const uint8_t pairs[] = {0, 0, 1, 0, 2, 0};
    LevelGenCoordList three(pairs, 3, 0, 0);

    LevelTileGroup single = {{a.tile()}, 1};
    random64.state = 99;
    stampGroup(single, three);
    EXPECT_EQ(random64.state, 99u);
    EXPECT_EQ(levelVoxel(32, 0, 0), 1);

    LevelTileGroup pair = {{a.tile(), b.tile()}, 2};
    uint64_t before = random64.state;
    stampGroup(pair, three);
    EXPECT_EQ(drawsBetween(before, random64.state), 3);
}

// --- objects ------------------------------------------------------------------------

class Spawn : public testing::Test {
protected:
    void SetUp() override
    {
        loadGeneratorWorld();
        clearLevelObjects();
    }
    void TearDown() override { clearLevelObjects(); }
};

TEST_F(Spawn, AskingForMoreThanThePointsGivesOneAtEachPoint)
{
    const uint8_t pairs[] = {0, 1, 3, 1, 5, 2};
    spawnObjects(OBJ_ENEMY, 20, LevelGenCoordList(pairs, 3, 8, 5));
    ASSERT_EQ(enemies.num, 3);
    std::vector<std::pair<float, float>> at;
    for (BaseEnemy* e : enemies) at.push_back({e->pos.x, e->pos.y});
    std::sort(at.begin(), at.end());
    // Block centres and bottoms: 16 x + 8, 16 y.
    EXPECT_EQ(at[0], std::make_pair(16.0f * 8 + 8, 16.0f * 6));
    EXPECT_EQ(at[1], std::make_pair(16.0f * 11 + 8, 16.0f * 6));
    EXPECT_EQ(at[2], std::make_pair(16.0f * 13 + 8, 16.0f * 7));
}

TEST_F(Spawn, PointsAreDistinctAndAnEmptyListSpawnsNothing)
{
    const uint8_t pairs[] = {0, 1, 1, 1, 2, 1, 3, 1};
    spawnObjects(OBJ_BARREL, 3, LevelGenCoordList(pairs, 4, 0, 0));
    ASSERT_EQ(explosives.num, 3);
    std::vector<float> xs = {explosives[0]->pos.x, explosives[1]->pos.x, explosives[2]->pos.x};
    std::sort(xs.begin(), xs.end());
    EXPECT_NE(xs[0], xs[1]);
    EXPECT_NE(xs[1], xs[2]);

    uint64_t before = random64.state;
    spawnObjects(OBJ_BARREL, 3, LevelGenCoordList(pairs, 0, 0, 0));
    EXPECT_EQ(explosives.num, 3);
    EXPECT_EQ(random64.state, before);
}

TEST_F(Spawn, BonusKindFollowsItsDraw)
{
    const uint8_t pairs[] = {2, 2};
    setNextDraw(0xBFFFFFFF);
    spawnBonus(LevelGenCoordList(pairs, 1, 0, 0));
    EXPECT_EQ(heartBonuses.num, 1);
    EXPECT_EQ(upBonuses.num, 0);
    setNextDraw(0xC0000000);
    spawnBonus(LevelGenCoordList(pairs, 1, 0, 0));
    EXPECT_EQ(upBonuses.num, 1);
}

TEST_F(Spawn, HeroGoesToABlockCentreWithoutADrawForOnePoint)
{
    const uint8_t pairs[] = {3, 1};
    random64.state = 4242;
    placeHeroInRoom(LevelGenCoordList(pairs, 1, 16, 10));
    EXPECT_EQ(random64.state, 4242u);
    EXPECT_EQ(heroPos().x, 16.0f * 19 + 8);
    EXPECT_EQ(heroPos().y, 16.0f * 11);
}

// --- templates ------------------------------------------------------------------------

int contentX = -99, contentY = -99;
void recordContent(int cx, int cy)
{
    contentX = cx;
    contentY = cy;
}

TEST(PlaceTemplate, NegativeCellsCountFromTheFarSide)
{
    memset(layoutGrid, CELL_EMPTY, sizeof(layoutGrid));
    const uint8_t pattern[] = {0x07};
    const LevelGenTemplate t = {recordContent, 1, 1, pattern};
    EXPECT_EQ(placeTemplate(&t, -1, -1), &t);
    EXPECT_EQ(contentX, 31);
    EXPECT_EQ(contentY, 2);
    EXPECT_EQ(layoutGrid[31 + 32 * 2], 0x07);
    EXPECT_EQ(placeTemplate(nullptr, 0, 0), nullptr);
}

TEST(PlaceTemplate, PatternRowsAreTopFirstAndCellsOutsideAreDropped)
{
    memset(layoutGrid, CELL_EMPTY, sizeof(layoutGrid));
    const uint8_t pattern[] = {0x01, 0x02, 0x03,   // top row
                               0x04, 0x05, 0x06};  // bottom row
    const LevelGenTemplate t = {nullptr, 3, 2, pattern};
    placeTemplate(&t, 30, 0);
    EXPECT_EQ(layoutGrid[30 + 32 * 1], 0x01);
    EXPECT_EQ(layoutGrid[31 + 32 * 1], 0x02);
    EXPECT_EQ(layoutGrid[30 + 32 * 0], 0x04);
    EXPECT_EQ(layoutGrid[31 + 32 * 0], 0x05);
    // The bytes for column 32 went nowhere, in particular not into the next row.
    EXPECT_EQ(layoutGrid[0 + 32 * 1], CELL_EMPTY);
    EXPECT_EQ(layoutGrid[0 + 32 * 2], CELL_EMPTY);
}

}  // namespace
