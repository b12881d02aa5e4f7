// Object lists, deferred deletion, spawning and the abstract-call errors.
#include "game/bonus.h"
#include "game/enemy.h"
#include "game/explosive.h"
#include "game/hero.h"
#include "shell/log.h"
#include "tests/world/worldFixture.h"

using ObjectLists = WorldTest;

TEST_F(ObjectLists, ReleaseTwiceQueuesOnceAndKeepsTheObjectUntilTheFlush)
{
    GameObj* e = spawnLevelObject(OBJ_ENEMY, 200, 50);
    e->release();
    e->release();
    EXPECT_EQ(killList.num, 1);
    EXPECT_EQ(enemies.num, 1);  // still walked by loops until the flush
    flushKilled();
    EXPECT_EQ(enemies.num, 0);
    EXPECT_EQ(killList.num, 0);
}

TEST_F(ObjectLists, RemovingTheSecondOfFourMovesTheLastIntoItsPlace)
{
    GameObj* a = spawnLevelObject(OBJ_ENEMY, 200, 50);
    GameObj* b = spawnLevelObject(OBJ_ENEMY, 300, 50);
    GameObj* c = spawnLevelObject(OBJ_ENEMY, 400, 50);
    GameObj* d = spawnLevelObject(OBJ_ENEMY, 500, 50);
    b->release();
    flushKilled();
    ASSERT_EQ(enemies.num, 3);
    EXPECT_EQ(enemies[0], a);
    EXPECT_EQ(enemies[1], d);
    EXPECT_EQ(enemies[2], c);
    // allObjects holds the hero first, then the same order shifted by one.
    ASSERT_EQ(allObjects.num, 4);
    EXPECT_EQ(allObjects[1], a);
    EXPECT_EQ(allObjects[2], d);
    EXPECT_EQ(allObjects[3], c);
}

TEST_F(ObjectLists, SpawnLevelObjectCreatesByKindAndPlacesIt)
{
    GameObj* barrel = spawnLevelObject(OBJ_BARREL, 24, 32);
    spawnLevelObject(OBJ_HEART, 40, 32);
    spawnLevelObject(OBJ_UP_POINT, 56, 32);
    spawnLevelObject(OBJ_ENEMY, 72, 32);
    spawnLevelObject(3, 88, 32);  // unknown kinds make enemies
    EXPECT_EQ(explosives.num, 1);
    EXPECT_EQ(heartBonuses.num, 1);
    EXPECT_EQ(upBonuses.num, 1);
    EXPECT_EQ(enemies.num, 2);
    EXPECT_EQ(allObjects.num, 6);
    Explosive* x = explosives[0];
    EXPECT_EQ((GameObj*)x, barrel);
    EXPECT_FLOAT_EQ(x->pos.x, 24);
    EXPECT_FLOAT_EQ(x->pos.y, 32);
    EXPECT_FLOAT_EQ(x->pos.z, 8);
    EXPECT_FLOAT_EQ(x->prevPos.x, 24);
    EXPECT_FLOAT_EQ(enemies[1]->pos.x, 88);
}

TEST_F(ObjectLists, PickUpsDrawTheirSpinPhaseAtConstruction)
{
    Random64 expected;
    expected.state = random64.state;
    spawnLevelObject(OBJ_HEART, 40, 32);
    EXPECT_FLOAT_EQ(heartBonuses[0]->phase, expected.nextUnit());
    EXPECT_EQ(random64.state, expected.state);
}

TEST_F(ObjectLists, DestroyWorldObjectsEmptiesEveryListAndTheHero)
{
    spawnLevelObject(OBJ_BARREL, 24, 32);
    spawnLevelObject(OBJ_HEART, 40, 32);
    spawnLevelObject(OBJ_ENEMY, 72, 32);
    destroyWorldObjects();
    EXPECT_EQ(theHero, nullptr);
    EXPECT_EQ(allObjects.num, 0);
    EXPECT_EQ(heroes.num, 0);
    EXPECT_EQ(enemies.num, 0);
    EXPECT_EQ(explosives.num, 0);
    EXPECT_EQ(heartBonuses.num, 0);
}

using ObjectListsDeathTest = WorldTest;

TEST_F(ObjectListsDeathTest, CallingAnOperationAClassLacksIsFatalWithItsName)
{
    // As in the game, the fatal path tears the world down before exiting.
    setFatalShutdown([] { destroyWorldObjects(); });
    GameObj* barrel = spawnLevelObject(OBJ_BARREL, 24, 32);
    EXPECT_EXIT(barrel->wakeUp(), ::testing::ExitedWithCode(100), "pure virtual call GameObj::wakeUp\\(\\)");
    GameObj* heart = spawnLevelObject(OBJ_HEART, 40, 32);
    float move;
    bool jump, fire;
    EXPECT_EXIT(heart->getInput(move, jump, fire), ::testing::ExitedWithCode(100),
                "pure virtual call GameObj::getInput\\(\\)");
    int nd, ni;
    EXPECT_EXIT(theHero->spawnLevelJunk(0, 0, 0, 0, 0, 0, nd, ni), ::testing::ExitedWithCode(100),
                "pure virtual call GameObj::spawnLevelJunk\\(\\)");
    setFatalShutdown(nullptr);
}
