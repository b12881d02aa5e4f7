// Robots: waking when first drawn, patrolling, hurting the hero, dying.
#include "game/bullet.h"
#include "game/camera.h"
#include "game/enemy.h"
#include "game/hero.h"
#include "game/junk.h"
#include "game/physics.h"
#include "game/playMode.h"
#include "game/worldView.h"
#include "sound/soundEvents.h"
#include "tests/world/worldFixture.h"

namespace {

BaseEnemy* spawnEnemy(float x, float y = FLOOR_REST_Y) { return (BaseEnemy*)spawnLevelObject(OBJ_ENEMY, x, y); }

void stepEnemies(int steps)
{
    for (int i = 0; i < steps; i++) {
        for (int k = 0; k < enemies.num; k++) enemies[k]->update(0.05f);
        flushKilled();
    }
}

}  // namespace

using EnemyTest = WorldTest;

TEST_F(EnemyTest, ARobotOutOfViewStandsStillUntilTheCameraBringsItIn)
{
    buildFloor();
    BaseEnemy* e = spawnEnemy(1000);
    renderWorld(0);
    stepEnemies(20);
    EXPECT_EQ(e->asleep, 1);
    EXPECT_FLOAT_EQ(e->pos.x, 1000);

    placeHero(950, FLOOR_REST_Y);  // the camera snaps to the hero
    renderWorld(0);
    EXPECT_EQ(e->asleep, 0);
    EXPECT_EQ(soundEventCount(SE_ENEMY_SPOTS_HERO), 1);
    renderWorld(0);
    stepEnemies(5);
    renderWorld(0);
    EXPECT_EQ(soundEventCount(SE_ENEMY_SPOTS_HERO), 1);
    EXPECT_LT(e->pos.x, 1000.0f);  // a new robot faces left and walks off that way
}

TEST_F(EnemyTest, TheViewWindowEdgeIsInclusive)
{
    BaseEnemy* inside = spawnEnemy(0);
    BaseEnemy* outside = spawnEnemy(0);
    placeHero(500, 100);
    renderWorld(0);
    // Put one exactly on the right column of the window and one just past it.
    inside->pos = inside->prevPos = Vec4::point((float)viewWindow.x1, (float)viewWindow.y0, 8);
    outside->pos = outside->prevPos = Vec4::point((float)viewWindow.x1 + 1, (float)viewWindow.y0, 8);
    renderWorld(0);
    EXPECT_EQ(inside->asleep, 0);
    EXPECT_EQ(outside->asleep, 1);
}

TEST_F(EnemyTest, ABulletKillsASleepingRobotWithoutItSpottingTheHero)
{
    BaseEnemy* e = spawnEnemy(200, 50);
    spawnBullet(true, theHero, HERO_BULLET_COLOUR, Vec4::point(180, 55, 8), Vec4(200, 0, 0, 0));
    for (int i = 0; i < 3; i++) updateAllObjects(0.05f);
    EXPECT_EQ(enemies.num, 0);
    EXPECT_EQ(soundEventCount(SE_ENEMY_DEAD), 1);
    EXPECT_EQ(soundEventCount(SE_ENEMY_SPOTS_HERO), 0);
    EXPECT_EQ(junkList.num, 200);
    for (const Junk& j : junkList) EXPECT_GE(j.vel.z, 0.0f);
    (void)e;
}

TEST_F(EnemyTest, ADyingRobotStaysAnObstacleUntilItsNextUpdate)
{
    buildFloor();
    BaseEnemy* e = spawnEnemy(300);
    e->hit(1);
    EXPECT_EQ(e->health, 0);
    EXPECT_EQ(enemies.num, 1);
    Vec4 pos = Vec4::point(280, FLOOR_REST_Y, 8);
    int flags = 0;
    for (int i = 0; i < 20; i++)
        flags = moveBox(pos, nullptr, pos + Vec4(1, 0, 0, 0), Vec4(-4, 0, -6, 0), Vec4(4, 15, 6, 0), 4);
    EXPECT_TRUE(flags & CONTACT_ENEMY);
    stepEnemies(1);
    EXPECT_EQ(enemies.num, 0);
}

TEST_F(EnemyTest, TwoRobotsWalkingIntoEachOtherBothTurnAround)
{
    buildFloor();
    BaseEnemy* a = spawnEnemy(200);
    BaseEnemy* b = spawnEnemy(240);
    a->wakeUp();
    b->wakeUp();
    a->facing = 1;
    int guard = 0;
    while ((a->facing == 1 || b->facing == 0) && guard++ < 100) stepEnemies(1);
    EXPECT_EQ(a->facing, 0);
    EXPECT_EQ(b->facing, 1);
    stepEnemies(10);
    EXPECT_LT(a->pos.x, 200.0f);
    EXPECT_GT(b->pos.x, 240.0f);
}

TEST_F(EnemyTest, ARobotTurnsAtAWallButWalksOffALedge)
{
    fillCells(0, 0, 4095, 9, 0);
    buildFloor(100, 160);
    fillCells(100, 10, 110, 40, 5);  // a wall on the left end of the ledge
    BaseEnemy* e = spawnEnemy(130);
    e->wakeUp();
    stepEnemies(40);
    EXPECT_EQ(e->facing, 1);  // turned at the wall
    // It walks off the right end and falls out of the level, silently.
    for (int i = 0; i < 400 && enemies.num; i++) stepEnemies(1);
    EXPECT_EQ(enemies.num, 0);
    EXPECT_EQ(junkList.num, 0);
    EXPECT_EQ(soundEventCount(SE_ENEMY_DEAD), 0);
}

TEST_F(EnemyTest, ARobotBumpingIntoTheHeroHurtsItInTheHerosNextSubStep)
{
    buildFloor();
    placeHero(100, FLOOR_REST_Y);
    theHero->doUpdate(0.0125f);
    BaseEnemy* e = spawnEnemy(125);
    e->wakeUp();
    int guard = 0;
    while (!theHero->hurtFlag && guard++ < 40) e->update(0.05f);
    ASSERT_EQ(theHero->hurtFlag, 1);
    EXPECT_EQ(theHero->health, 4);
    theHero->doUpdate(0.0125f);
    EXPECT_EQ(theHero->health, 3);
    EXPECT_EQ(theHero->hurtFlag, 0);
}

TEST_F(EnemyTest, ARobotTrappedAgainstTheHeroHurtsItAtMostOncePerSecond)
{
    buildFloor();
    fillCells(121, 10, 130, 60, 5);  // the robot shuttles between the hero and this wall
    placeHero(100, FLOOR_REST_Y);
    BaseEnemy* e = spawnEnemy(114);
    e->wakeUp();
    int lastHurt = -100, hurts = 0, health = theHero->health;
    for (int step = 0; step < 60; step++) {
        updateAllObjects(0.05f);
        if (theHero->health < health) {
            EXPECT_GE(step - lastHurt, 20) << "step " << step;
            lastHurt = step;
            hurts++;
            health = theHero->health;
        }
    }
    EXPECT_GE(hurts, 2);
}
