// The shipped tiles.bin and level.pal keep the rules the generator's rooms
// rely on: every required tile, the voxel classes, solid walls, backgrounds
// behind the collision layer, walkable stairs and the elevator floor.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gen/levelMap.h"
#include "gen/tileSet.h"
#include "tests/test_util.h"

namespace {

const char* const REQUIRED[] = {
    "back0", "back1",  "back2",  "back3",  "back4",  "backC1", "backC2", "backS1", "backS2",  "backS3",  "wall0",
    "wall1", "wall2",  "wall3",  "floor1", "floor2", "floor3", "stairR", "stairL", "mach1",   "mach2",   "mach3",
    "mach4", "mach5",  "mach6",  "mach7",  "plat0",  "plat1",  "plat2",  "plat3",  "plat4",   "hfloor1", "hfloor2",
    "exit",  "sback0", "sback1", "sback2", "sback3", "sback4", "sback5", "sback6", "sbackC1",
};

bool startsWith(const char* s, const char* prefix) { return strncmp(s, prefix, strlen(prefix)) == 0; }

// One block of level voxels with a tile stamped at its corner: each tile
// voxel covers 2 x 2 x 2 level voxels, carve codes empty them.
struct StampedBlock {
    static constexpr int W = 16, H = 16;
    uint8_t v[LEVEL_D][H][W] = {};
    bool outside = false;  // some voxel fell outside the block

    StampedBlock(const LevelTile* t, int lowerBy = 0)
    {
        const uint8_t* src = tileVoxels(t);
        for (int z = 0; z < t->sizeZ; ++z)
            for (int y = 0; y < t->sizeY; ++y)
                for (int x = 0; x < t->sizeX; ++x) {
                    uint8_t c = src[x + t->sizeX * (y + t->sizeY * z)];
                    if (!c) continue;
                    for (int k = 0; k < 8; ++k) {
                        int lx = t->originX + 2 * x + (k & 1), ly = t->originY - lowerBy + 2 * y + (k >> 1 & 1);
                        int lz = t->originZ + 2 * z + (k >> 2);
                        if (lx < 0 || lx >= W || ly < 0 || ly >= H || lz < 0 || lz >= LEVEL_D) {
                            outside = true;
                            continue;
                        }
                        v[lz][ly][lx] = (c & 0x3F) ? c : 0;
                    }
                }
    }
    // Height of the solid run of column x from the block's bottom in layer z.
    int columnTop(int x, int z) const
    {
        int h = 0;
        while (h < H && v[z][h][x]) ++h;
        return h;
    }
};

class ShippedTiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string dir = ::binDir();
        testing::internal::CaptureStdout();
        loadLevelTiles((dir + "/tiles.bin").c_str());
        testing::internal::GetCapturedStdout();
        colourCount = loadLevelPalette((dir + "/level.pal").c_str(), palette, 256);
    }
    static void TearDownTestSuite() { freeLevelTiles(); }

    // Every tile whose name starts with one of the prefixes.
    static std::vector<const LevelTile*> tiles(std::initializer_list<const char*> prefixes)
    {
        std::vector<const LevelTile*> out;
        for (int i = 0; i < levelTileCount(); ++i)
            for (const char* p : prefixes)
                if (startsWith(tileName(levelTileAt(i)), p)) {
                    out.push_back(levelTileAt(i));
                    break;
                }
        return out;
    }
    static void expectColoursIn(const LevelTile* t, int lo, int hi)
    {
        const uint8_t* v = tileVoxels(t);
        for (int i = 0; i < t->sizeX * t->sizeY * t->sizeZ; ++i) {
            if (!v[i] || !(v[i] & 0x3F)) continue;
            ASSERT_GE(v[i], lo) << tileName(t);
            ASSERT_LE(v[i], hi) << tileName(t);
        }
    }

    static uint32_t palette[256];
    static int colourCount;
};
uint32_t ShippedTiles::palette[256];
int ShippedTiles::colourCount;

TEST_F(ShippedTiles, HoldsEveryTileTheGeneratorLooksUp)
{
    for (const char* name : REQUIRED) {
        bool found = false;
        for (int i = 0; i < levelTileCount() && !found; ++i) found = strcmp(tileName(levelTileAt(i)), name) == 0;
        EXPECT_TRUE(found) << name;
    }
    EXPECT_EQ(tiles({"stairR"}).size(), 1u);
}

TEST_F(ShippedTiles, PaletteHasAColourForEveryVoxelAndNoneForCarveCodes)
{
    ASSERT_EQ(colourCount, 256);
    for (int code : {0x00, 0x40, 0x80, 0xC0}) EXPECT_EQ(palette[code], 0u) << code;
    for (int i = 0; i < levelTileCount(); ++i) {
        const LevelTile* t = levelTileAt(i);
        const uint8_t* v = tileVoxels(t);
        for (int k = 0; k < t->sizeX * t->sizeY * t->sizeZ; ++k)
            if (v[k] & 0x3F) {
                ASSERT_EQ(palette[v[k]] >> 24, 0xFFu) << tileName(t) << " uses unset colour " << (int)v[k];
            }
    }
}

TEST_F(ShippedTiles, VoxelClassesMatchTheTileKinds)
{
    for (const LevelTile* t : tiles({"wall", "floor", "hfloor", "plat", "stair", "back", "sback"}))
        expectColoursIn(t, 1, 127);
    for (const LevelTile* t : tiles({"mach"})) expectColoursIn(t, 128, 191);
    for (const LevelTile* t : tiles({"exit"})) expectColoursIn(t, 192, 255);
}

TEST_F(ShippedTiles, WallsAndMachinesAreSolidBlocksThroughTheDepth)
{
    for (const LevelTile* t : tiles({"wall", "mach"})) {
        StampedBlock b(t);
        EXPECT_FALSE(b.outside) << tileName(t);
        // Only the front tile layer (level depth 0-1) may be recessed.
        for (int z = 2; z < LEVEL_D; ++z)
            for (int y = 0; y < StampedBlock::H; ++y)
                for (int x = 0; x < StampedBlock::W; ++x)
                    ASSERT_NE(b.v[z][y][x], 0) << tileName(t) << " at " << x << "," << y << "," << z;
    }
}

TEST_F(ShippedTiles, BackgroundsStayBehindTheCollisionLayer)
{
    auto backs = tiles({"back", "sback"});
    EXPECT_EQ(backs.size(), 18u);
    for (const LevelTile* t : backs) {
        StampedBlock b(t);
        EXPECT_FALSE(b.outside) << tileName(t);
        int nearest = LEVEL_D;
        for (int z = 0; z < LEVEL_D; ++z)
            for (int y = 0; y < StampedBlock::H; ++y)
                for (int x = 0; x < StampedBlock::W; ++x)
                    if (b.v[z][y][x] && z < nearest) nearest = z;
        EXPECT_GE(nearest, LEVEL_COLLIDE_Z + 2) << tileName(t);
    }
}

TEST_F(ShippedTiles, FloorsAndPlatformsHaveAWalkableTop)
{
    for (const LevelTile* t : tiles({"floor", "hfloor", "plat"})) {
        StampedBlock b(t);
        for (int x = 0; x < StampedBlock::W; ++x) {
            EXPECT_NE(b.v[LEVEL_COLLIDE_Z][StampedBlock::H - 1][x], 0) << tileName(t) << " x " << x;
            EXPECT_NE(b.v[LEVEL_COLLIDE_Z][StampedBlock::H - 4][x], 0) << tileName(t) << " x " << x;
        }
    }
}

TEST_F(ShippedTiles, StairsClimbInStepsAWalkerTakes)
{
    // The generator lowers both stairs by 2 voxels before stamping them.
    for (const char* name : {"stairR", "stairL"}) {
        const LevelTile* t = tiles({name})[0];
        StampedBlock b(t, 2);
        std::vector<int> tops;
        for (int x = 0; x < StampedBlock::W; ++x) tops.push_back(b.columnTop(x, LEVEL_COLLIDE_Z));
        for (int x = 1; x < StampedBlock::W; ++x) EXPECT_LE(std::abs(tops[x] - tops[x - 1]), 4) << name << " x " << x;
        int low = std::min(tops.front(), tops.back()), high = std::max(tops.front(), tops.back());
        EXPECT_LE(low, 4) << name;
        EXPECT_GE(high, StampedBlock::H - 4) << name;
    }
    // stairR climbs to the right, stairL to the left.
    EXPECT_LT(StampedBlock(tiles({"stairR"})[0], 2).columnTop(0, LEVEL_COLLIDE_Z),
              StampedBlock(tiles({"stairR"})[0], 2).columnTop(15, LEVEL_COLLIDE_Z));
    EXPECT_GT(StampedBlock(tiles({"stairL"})[0], 2).columnTop(0, LEVEL_COLLIDE_Z),
              StampedBlock(tiles({"stairL"})[0], 2).columnTop(15, LEVEL_COLLIDE_Z));
}

TEST_F(ShippedTiles, TheExitIsAnElevatorFloorOnTheCollisionLayer)
{
    StampedBlock b(tiles({"exit"})[0]);
    for (int x = 0; x < StampedBlock::W; ++x) {
        int top = b.columnTop(x, LEVEL_COLLIDE_Z);
        ASSERT_GT(top, 0) << x;
        EXPECT_GE(b.v[LEVEL_COLLIDE_Z][top - 1][x], VOXEL_EXIT_MIN) << x;
    }
    // Reachable from the stairs beside it: its floor meets their high ends.
    EXPECT_GE(b.columnTop(0, LEVEL_COLLIDE_Z), StampedBlock::H - 4);
}

}  // namespace
