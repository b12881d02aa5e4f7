// The obstacle grid must give exactly the answers of scanning every walker.
#include <vector>

#include "game/enemy.h"
#include "game/explosive.h"
#include "game/hero.h"
#include "game/junk.h"
#include "game/obstacleGrid.h"
#include "tests/world/worldFixture.h"

namespace {

// A crowded floor with pillars, robots and barrels at scattered places, the
// same every time for the same seed.
void buildScene(uint64_t seed)
{
    destroyWorldObjects();
    clearJunk();
    memset(levelVolume, 0, sizeof(levelVolume));
    buildFloor(0, 1200);
    for (int x = 60; x < 1200; x += 150) fillCells(x, 10, x + 5, 10 + (x % 7), 5);  // low steps and walls
    createHero();
    placeHero(600, FLOOR_REST_Y);
    Random64 layout;
    layout.state = seed;
    for (int i = 0; i < 80; i++) {
        float x = 20.0f + (float)(layout.next() % 1160);
        float y = FLOOR_REST_Y + (float)(layout.next() % 40);
        GameObj* o = spawnLevelObject(i % 8 == 0 ? OBJ_BARREL : OBJ_ENEMY, x, y);
        if (i % 8) o->wakeUp();
    }
    random64.state = seed;
}

// The step without the grid: every list in order, then the flush.
void stepWithoutGrid(float dt)
{
    for (int i = 0; i < heroes.num; i++) heroes[i]->update(dt);
    for (int i = 0; i < enemies.num; i++) enemies[i]->update(dt);
    for (int i = 0; i < explosives.num; i++) explosives[i]->update(dt);
    flushKilled();
}

struct Snapshot {
    std::vector<float> values;
    bool operator==(const Snapshot&) const = default;
};

Snapshot take()
{
    Snapshot s;
    auto add = [&](const Walker* w) {
        s.values.push_back(w->pos.x);
        s.values.push_back(w->pos.y);
        s.values.push_back((float)w->contacts);
        s.values.push_back((float)w->facing);
    };
    for (Hero* h : heroes) add(h);
    for (BaseEnemy* e : enemies) add(e);
    for (Explosive* x : explosives) add(x);
    return s;
}

Snapshot run(uint64_t seed, bool useGrid, bool shove)
{
    buildScene(seed);
    for (int step = 0; step < 60; step++) {
        if (shove && step == 20) {
            // A push far beyond the grid's margin in one step.
            enemies[3]->addVel(3000, 400);
            explosives[1]->hit(1);
        }
        if (useGrid)
            updateAllObjects(0.05f);
        else
            stepWithoutGrid(0.05f);
        EXPECT_FALSE(obstacleGridActive());
    }
    return take();
}

}  // namespace

using ObstacleGrid = WorldTest;

TEST_F(ObstacleGrid, GivesTheSameMovesAsScanningEveryWalker)
{
    for (uint64_t seed : {1u, 2u, 3u}) {
        Snapshot withGrid = run(seed, true, false);
        Snapshot without = run(seed, false, false);
        ASSERT_GT(withGrid.values.size(), 200u);
        EXPECT_TRUE(withGrid == without) << "seed " << seed;
    }
}

TEST_F(ObstacleGrid, AWalkerThrownPastTheMarginFallsBackToTheFullScan)
{
    Snapshot withGrid = run(7, true, true);
    Snapshot without = run(7, false, true);
    EXPECT_TRUE(withGrid == without);
}

TEST_F(ObstacleGrid, QueriesReturnNearbyWalkersInListOrder)
{
    GameObj* a = spawnLevelObject(OBJ_ENEMY, 1000, 50);
    GameObj* b = spawnLevelObject(OBJ_BARREL, 1010, 50);
    GameObj* c = spawnLevelObject(OBJ_ENEMY, 1060, 50);  // the next column
    spawnLevelObject(OBJ_ENEMY, 2000, 50);
    obstacleGridBeginStep();
    const DynArray<GameObj*>& near = obstacleGridQuery(990, 50, 1070, 60);
    ASSERT_EQ(near.num, 3);
    EXPECT_EQ(near[0], a);  // enemies before barrels, each list in index order
    EXPECT_EQ(near[1], c);
    EXPECT_EQ(near[2], b);
    // Creating a walker mid-step drops the grid.
    spawnLevelObject(OBJ_ENEMY, 500, 50);
    EXPECT_FALSE(obstacleGridActive());
    obstacleGridEndStep();
}
