// The checker's reach search must say no where the hero cannot go, or every
// "reached" it reports would mean nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "game/gameObj.h"
#include "gen/levelMap.h"
#include "tests/levelgen/levelGenFixture.h"
#include "tools/levelcheck/levelReach.h"

namespace {

void fill(int x0, int y0, int x1, int y1, uint8_t v)  // inclusive, collision layer
{
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) collisionLayer()[x + LEVEL_W * y] = v;
}

// A floor of indestructible cells with the elevator floor at its right end,
// raised by `ledge` voxels and behind an optional wall of the given cells.
void buildScene(int ledge, uint8_t wall)
{
    memset(levelVolume, 0, sizeof(levelVolume));
    clearLevelObjects();
    fill(0, 0, 399, 15, 150);
    fill(0, 16, 15, 200, 150);
    fill(300, 16, 399, 15 + ledge, 150);
    fill(320, 16 + ledge - 1, 340, 16 + ledge - 1, 200);  // the elevator floor
    if (wall) fill(200, 16, 215, 200, wall);
}

const ReachSpot START = {40, 16}, GOAL = {330, 16};

TEST(LevelReach, AJumpReachesAnElevatorUpToItsHeight)
{
    loadGeneratorWorld();
    buildScene(32, 0);
    EXPECT_TRUE(searchExit(START, GOAL).reached);
    // The jump peaks at about 39 voxels; 48 is out of reach.
    buildScene(48, 0);
    ReachResult r = searchExit(START, GOAL);
    EXPECT_FALSE(r.reached);
    EXPECT_GT(r.spots, 10) << "the search ran out of places, it did not stop early";
}

TEST(LevelReach, WallsCanBeShotThroughButMachinesCannot)
{
    loadGeneratorWorld();
    buildScene(16, 40);  // a destructible wall
    EXPECT_FALSE(searchExit(START, GOAL).reached);
    makeDestructibleCellsPassable();
    EXPECT_TRUE(searchExit(START, GOAL).reached);

    buildScene(16, 140);  // an indestructible one
    makeDestructibleCellsPassable();
    EXPECT_FALSE(searchExit(START, GOAL).reached);
}

TEST(LevelReach, ShootingKeepsTheTopOfEveryDestructibleStack)
{
    memset(levelVolume, 0, sizeof(levelVolume));
    fill(10, 0, 20, 15, 40);   // a destructible floor
    fill(12, 16, 13, 30, 40);  // a destructible post on it
    fill(30, 0, 31, 5, 150);   // machines stay whole
    makeDestructibleCellsPassable();
    const uint8_t* layer = collisionLayer();
    EXPECT_EQ(layer[11 + LEVEL_W * 15], 40);
    EXPECT_EQ(layer[11 + LEVEL_W * 14], 0);
    EXPECT_EQ(layer[12 + LEVEL_W * 15], 0) << "under the post the floor goes";
    EXPECT_EQ(layer[12 + LEVEL_W * 30], 40);
    EXPECT_EQ(layer[12 + LEVEL_W * 29], 0);
    EXPECT_EQ(layer[30 + LEVEL_W * 0], 150);
}

}  // namespace
