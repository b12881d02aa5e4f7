// The generator's tile groups, set up from the tile set by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gen/levelGenRuntime.h"
#include "gen/tileSet.h"
#include "tests/leveldata/tileFiles.h"
#include "tests/levelgen/levelGenFixture.h"
#include "tests/test_util.h"

namespace {

std::vector<std::string> names(const LevelTileGroup& g)
{
    std::vector<std::string> out;
    for (int i = 0; i < g.num; i++) out.push_back(tileName(g.tiles[i]));
    return out;
}

int count(const std::vector<std::string>& v, const char* name) { return (int)std::count(v.begin(), v.end(), name); }

TEST(TileGroups, HoldTheirTilesInOrderAndWeight)
{
    loadGeneratorWorld();
    EXPECT_EQ(names(wallTiles), (std::vector<std::string>{"wall0", "wall1", "wall2", "wall3"}));
    EXPECT_EQ(names(exitTile), (std::vector<std::string>{"exit"}));
    EXPECT_EQ(names(spawnBackTile), (std::vector<std::string>{"back2"}));

    std::vector<std::string> solid = names(solidTiles);
    ASSERT_EQ(solid.size(), 47u);
    EXPECT_EQ(solid[0], "mach1");
    EXPECT_EQ(solid[6], "mach7");
    EXPECT_EQ(solid[7], "wall0");
    EXPECT_EQ(count(solid, "wall3"), 10);

    std::vector<std::string> backdrop = names(backdropTiles);
    ASSERT_EQ(backdrop.size(), 73u);
    EXPECT_EQ(count(backdrop, "backC2"), 10);
    EXPECT_EQ(count(backdrop, "backS2"), 1);
    EXPECT_EQ(backdrop.back(), "backS3");

    EXPECT_EQ(shaftBackTiles.num, 8);
    EXPECT_EQ(names(shaftBackTiles).back(), "sbackC1");
    EXPECT_EQ(machineTiles.num, 7);
    EXPECT_EQ(platformTiles.num, 5);
    EXPECT_EQ(floorTiles.num, 3);
    EXPECT_EQ(hfloorTiles.num, 2);
    EXPECT_EQ(backTiles.num, 7);
}

TEST(TileGroups, StairsAreLoweredOncePerLoadedSet)
{
    loadGeneratorWorld();
    std::string path = binDir() + "/tiles.bin";
    for (int load = 0; load < 2; load++) {
        loadLevelTiles(path.c_str());
        int fileL = findLevelTile("stairL")->originY, fileR = findLevelTile("stairR")->originY;
        int fileWall = findLevelTile("wall0")->originY;
        setupLevelGenTiles();
        setupLevelGenTiles();
        EXPECT_EQ(findLevelTile("stairL")->originY, fileL - 2);
        EXPECT_EQ(findLevelTile("stairR")->originY, fileR - 2);
        EXPECT_EQ(findLevelTile("wall0")->originY, fileWall);
    }
}

// A tile set holding every required tile except the ones named.
std::string tileSetWithout(std::initializer_list<const char*> missing)
{
    static const char* const REQUIRED[] = {
        "back0", "back1",  "back2",  "back3",  "back4",  "backC1", "backC2", "backS1", "backS2",  "backS3",  "wall0",
        "wall1", "wall2",  "wall3",  "floor1", "floor2", "floor3", "stairR", "stairL", "mach1",   "mach2",   "mach3",
        "mach4", "mach5",  "mach6",  "mach7",  "plat0",  "plat1",  "plat2",  "plat3",  "plat4",   "hfloor1", "hfloor2",
        "exit",  "sback0", "sback1", "sback2", "sback3", "sback4", "sback5", "sback6", "sbackC1",
    };
    std::vector<TestTile> tiles;
    for (const char* name : REQUIRED) {
        bool skip = false;
        for (const char* m : missing) skip = skip || std::string(m) == name;
        if (skip) continue;
        TestTile t;
        t.name = name;
        t.voxels = {1};
        tiles.push_back(t);
    }
    return tilesFile(tiles);
}

TEST(TileGroupsDeathTest, TheFirstMissingTileInLookUpOrderIsReported)
{
    TempDir dir;
    std::string path = dir.file("tiles.bin");
    std::string bytes = tileSetWithout({"sback3", "wall2", "hfloor1"});
    writeFileBytes(path, bytes.data(), bytes.size());
    EXPECT_EXIT(
        {
            loadLevelTiles(path.c_str());
            setupLevelGenTiles();
        },
        testing::ExitedWithCode(100), "can't find level tile 'wall2'");
}

TEST(TileGroupsDeathTest, AllRequiredTilesAreEnough)
{
    TempDir dir;
    std::string path = dir.file("tiles.bin");
    std::string bytes = tileSetWithout({});
    writeFileBytes(path, bytes.data(), bytes.size());
    EXPECT_EXIT(
        {
            loadLevelTiles(path.c_str());
            setupLevelGenTiles();
            exit(7);
        },
        testing::ExitedWithCode(7), "");
}

}  // namespace
