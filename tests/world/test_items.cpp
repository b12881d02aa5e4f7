// Bullets and wall holes, barrels and their blasts, pick-ups and debris.
#include <cmath>

#include "game/bonus.h"
#include "game/bullet.h"
#include "game/enemy.h"
#include "game/explosive.h"
#include "game/hero.h"
#include "game/junk.h"
#include "game/progress.h"
#include "sound/soundEvents.h"
#include "tests/world/worldFixture.h"

namespace {

Bullet* fire(Vec4 from, Vec4 velocity) { return spawnBullet(true, theHero, HERO_BULLET_COLOUR, from, velocity); }

// Runs bullet updates until no bullet is left.
void flyBullets()
{
    for (int i = 0; i < 100 && bullets.num; i++) {
        for (int k = 0; k < bullets.num; k++) bullets[k]->update(0.05f);
        flushKilled();
    }
}

// The deepest layer of the hole at (cx, cy): every layer up to it lost
// exactly `cells` cells of the square, the layers behind it none.
void expectHole(int cx, int cy, int r, int cells)
{
    int depth = -1;
    for (int z = 0; z < LEVEL_D; z++) {
        int n = countEmpty(cx, cy, r, z);
        if (n == 0) break;
        EXPECT_EQ(n, cells) << "layer " << z;
        depth = z;
    }
    EXPECT_GE(depth, 14);
    EXPECT_LE(depth, 17);
}

}  // namespace

using BulletTest = WorldTest;

TEST_F(BulletTest, AHoleOfRadiusTwoIsAFiveByFiveSquareWithoutCorners)
{
    fillCells(80, 0, 140, 60, 5);
    // Shot into the wall's front face, so the whole square lies inside it.
    fire(Vec4::point(100, 30, -10), Vec4(0, 0, 200, 0));
    flyBullets();
    expectHole(100, 30, 2, 21);
    EXPECT_EQ(levelVoxel(98, 28, 0), 5);  // corners stay
    EXPECT_EQ(soundEventCount(SE_BULLET_DESTROYS_WALL), 1);
    EXPECT_GT(junkList.num, 0);
    // Debris flies back towards the shooter: 30 at most forwards, minus 0.3 of the bullet's 200.
    for (const Junk& j : junkList) EXPECT_LE(j.vel.z, -30.0f + 1e-3f);
}

TEST_F(BulletTest, AHoleOfRadiusFourIsANineByNineSquareWithoutCorners)
{
    wallDestruction = 4;
    fillCells(80, 0, 140, 60, 5);
    fire(Vec4::point(100, 30, -10), Vec4(0, 0, 200, 0));
    flyBullets();
    expectHole(100, 30, 4, 77);
}

TEST_F(BulletTest, AHitFromTheSideCarvesAroundTheFirstSolidColumn)
{
    fillCells(80, 0, 140, 60, 5);
    fire(Vec4::point(50, 30, 8), Vec4(200, 0, 0, 0));
    flyBullets();
    // Columns 78-79 were air already; the wall loses its part of the plus shape.
    EXPECT_EQ(levelVoxel(80, 30, 0), 0);
    EXPECT_EQ(levelVoxel(82, 30, 0), 0);
    EXPECT_EQ(levelVoxel(80, 32, 0), 0);
    EXPECT_EQ(levelVoxel(82, 32, 0), 5);  // a corner
    EXPECT_EQ(levelVoxel(83, 30, 0), 5);
}

TEST_F(BulletTest, AWallInFrontOfARobotStopsTheBullet)
{
    fillCells(80, 0, 84, 60, 5);
    BaseEnemy* e = (BaseEnemy*)spawnLevelObject(OBJ_ENEMY, 95, 25);
    fire(Vec4::point(70, 30, 8), Vec4(200, 0, 0, 0));
    flyBullets();
    EXPECT_EQ(e->health, 1);
    EXPECT_EQ(soundEventCount(SE_ENEMY_DEAD), 0);
    EXPECT_EQ(soundEventCount(SE_BULLET_DESTROYS_WALL), 1);
}

TEST_F(BulletTest, OnlyIndestructibleCellsRaiseTheirOwnSoundAndThrowNothing)
{
    fillCells(80, 0, 140, 60, 150);
    fire(Vec4::point(100, 30, -10), Vec4(0, 0, 200, 0));
    flyBullets();
    EXPECT_EQ(soundEventCount(SE_BULLET_HITS_INDESTRUCTIBLE), 1);
    EXPECT_EQ(soundEventCount(SE_BULLET_DESTROYS_WALL), 0);
    EXPECT_EQ(junkList.num, 0);
    EXPECT_EQ(countEmpty(100, 30, 2, 0), 0);
}

TEST_F(BulletTest, AnEmptySampleCountsNothing)
{
    Bullet* b = fire(Vec4::point(50, 30, 8), Vec4(200, 0, 0, 0));
    int nd = 0, ni = 0;
    b->spawnLevelJunk(100, 100, 0, 104, 104, 15, nd, ni);
    EXPECT_EQ(nd, 0);
    EXPECT_EQ(ni, 0);
    EXPECT_EQ(junkList.num, 0);
    // A box entirely outside the volume draws nothing at all.
    uint64_t state = random64.state;
    b->spawnLevelJunk(-20, -20, 0, -10, -10, 5, nd, ni);
    EXPECT_EQ(random64.state, state);
}

TEST_F(BulletTest, LeavingTheWorldFinishesTheBulletSilently)
{
    Bullet* b = fire(Vec4::point(4390, 30, 8), Vec4(200, 0, 0, 0));
    b->update(0.05f);
    EXPECT_TRUE(b->bulletFlags & BULLET_FINISHED);
    flyBullets();
    EXPECT_EQ(bullets.num, 0);
    for (int e = 0; e < SOUND_EVENT_COUNT; e++) EXPECT_EQ(soundEventCount(e), 0) << soundEventName(e);
}

TEST_F(BulletTest, AFinishedBulletLivesOneMoreStepAtItsEndPoint)
{
    fillCells(80, 0, 140, 60, 5);
    Bullet* b = fire(Vec4::point(72, 30, 8), Vec4(200, 0, 0, 0));
    b->update(0.05f);
    ASSERT_TRUE(b->bulletFlags & BULLET_FINISHED);
    EXPECT_NEAR(b->pos.x, 80.0f, 1e-3);  // stopped where it entered the wall
    EXPECT_EQ(bullets.num, 1);
    updateAllObjects(0.05f);
    EXPECT_EQ(bullets.num, 0);
}

TEST_F(BulletTest, APointBlankShotExplodesABarrel)
{
    spawnLevelObject(OBJ_BARREL, 200, 50);
    fire(Vec4::point(190, 55, 8), Vec4(200, 0, 0, 0));
    updateAllObjects(0.05f);
    EXPECT_EQ(explosives.num, 0);
    EXPECT_EQ(soundEventCount(SE_BARREL_EXPLODE), 1);
}

using BarrelTest = WorldTest;

// Distances run from the blast centre, 5 above the barrel's feet, to the other
// box's centre, 5.5 above its feet: half a unit lower puts them level.
TEST_F(BarrelTest, ABarrelFortyUnitsFromTheBlastGoesOffInTheSameBlast)
{
    placeHero(1000, 50);
    GameObj* a = spawnLevelObject(OBJ_BARREL, 200, 50);
    Explosive* b = (Explosive*)spawnLevelObject(OBJ_BARREL, 240, 49.5f);
    a->hit(1);
    EXPECT_EQ(b->health, 0);
    EXPECT_EQ(b->dead, 1);
    EXPECT_EQ(soundEventCount(SE_BARREL_EXPLODE), 2);
    EXPECT_EQ(junkList.num, 800);
}

TEST_F(BarrelTest, ABarrelFortyOneUnitsAwayIsNeitherHitNorPushed)
{
    placeHero(1000, 50);
    GameObj* a = spawnLevelObject(OBJ_BARREL, 200, 50);
    Explosive* b = (Explosive*)spawnLevelObject(OBJ_BARREL, 241, 49.5f);
    a->hit(1);
    EXPECT_EQ(b->health, 1);
    EXPECT_EQ(b->velX, 0.0f);
    EXPECT_EQ(b->velY, 0.0f);
    EXPECT_EQ(soundEventCount(SE_BARREL_EXPLODE), 1);
}

TEST_F(BarrelTest, AHeroTenUnitsFromTheBlastLosesAHeartAndIsPushedAway)
{
    GameObj* a = spawnLevelObject(OBJ_BARREL, 200, 50);
    // Blast centre (200, 55); the hero's box centre 10 units to its right.
    placeHero(210, 55 - 7.5f);
    a->hit(1);
    EXPECT_EQ(theHero->health, 3);
    EXPECT_NEAR(theHero->velX, 350.0f, 1e-3);
    EXPECT_NEAR(theHero->velY, 0.0f, 1e-3);
}

TEST_F(BarrelTest, AnExplosionCarvesItsSurroundingsButNotIndestructibleCells)
{
    fillCells(150, 0, 250, 100, 5);
    fillCells(195, 50, 205, 60, 0);
    levelVoxel(200, 55, 0) = 150;
    GameObj* a = spawnLevelObject(OBJ_BARREL, 200, 50);
    a->hit(1);
    EXPECT_EQ(levelVoxel(200, 55, 0), 150);
    // Every hole reaches at least 5 cells from the centre in each direction.
    for (int d = -5; d <= 5; d++) {
        EXPECT_EQ(levelVoxel(200 + d, 50, 3), 0);
        EXPECT_EQ(levelVoxel(200, 55 + d, 3), 0);
    }
    EXPECT_EQ(levelVoxel(230, 55, 0), 5);   // no hole reaches 21 cells
    EXPECT_EQ(levelVoxel(212, 55, 18), 5);  // nor past layer 17
}

TEST_F(BarrelTest, APushedBarrelSlidesAndStops)
{
    buildFloor();
    Explosive* b = (Explosive*)spawnLevelObject(OBJ_BARREL, 200, FLOOR_REST_Y);
    b->update(0.05f);
    b->addVel(300, 0);
    for (int i = 0; i < 20; i++) b->update(0.05f);
    // 225, 150 and 75 units/s for one step each under the 1500/s^2 braking.
    EXPECT_NEAR(b->pos.x, 222.5f, 1e-3);
    EXPECT_EQ(b->velX, 0.0f);
    EXPECT_NEAR(b->pos.y, FLOOR_REST_Y, 1e-3);
}

using PickUpTest = WorldTest;

TEST_F(PickUpTest, TouchingTwoHeartsAtOnceAddsTwo)
{
    spawnLevelObject(OBJ_HEART, 100, FLOOR_REST_Y);
    spawnLevelObject(OBJ_HEART, 102, FLOOR_REST_Y);
    Box2 box;
    theHero->getBox(box);
    collectBonuses(box);
    EXPECT_EQ(theHero->health, 6);
    EXPECT_EQ(soundEventCount(SE_BONUS_HEART), 2);
}

TEST_F(PickUpTest, TouchingOneHeartAcrossSubStepsAddsOne)
{
    buildFloor();
    spawnLevelObject(OBJ_HEART, 100, FLOOR_REST_Y);
    theHero->update(0.05f);
    EXPECT_EQ(theHero->health, 5);
    EXPECT_EQ(heartBonuses.num, 1);  // released, gone at the flush
    flushKilled();
    EXPECT_EQ(heartBonuses.num, 0);
}

TEST_F(PickUpTest, AnUpgradePointAddsAPoint)
{
    spawnLevelObject(OBJ_UP_POINT, 100, FLOOR_REST_Y);
    Box2 box;
    theHero->getBox(box);
    collectBonuses(box);
    EXPECT_EQ(upgradePoints, 1);
    EXPECT_EQ(soundEventCount(SE_BONUS_UP), 1);
}

TEST_F(PickUpTest, ThePickUpBoxEdges)
{
    Bonus* h = (Bonus*)spawnLevelObject(OBJ_HEART, 100, 50);  // box x 94..106, y 50..62
    EXPECT_TRUE(h->testBox(Box2(80, 40, 94, 50)));            // touching the lower left corner
    EXPECT_FALSE(h->testBox(Box2(80, 40, 93.9f, 50)));
    EXPECT_FALSE(h->testBox(Box2(106, 40, 120, 60)));  // x0 must be below pos.x + 6
    EXPECT_FALSE(h->testBox(Box2(100, 62, 120, 70)));  // y0 must be below pos.y + 12
}

TEST_F(PickUpTest, ThePhaseWrapsAndTheSpinPulses)
{
    Bonus* h = (Bonus*)spawnLevelObject(OBJ_HEART, 100, 50);
    h->phase = 0.99f;
    h->update(0.05f);
    EXPECT_NEAR(h->phase, 0.0075f, 1e-5);
    h->phase = 0;
    Mat4 m = h->spinTransform(0);
    EXPECT_NEAR(m.at(0, 0), 1.2f, 1e-5);  // angle 0: scale 1 + 0.2
    EXPECT_FLOAT_EQ(m.at(3, 0), 100.0f);
}

using DebrisTest = WorldTest;

TEST_F(DebrisTest, ARecordIsRemovedInTheStepItsLifeRunsOut)
{
    addJunk(Vec4::point(10, 10, 8), Vec4(20, 0, 0, 0), 0xFFFFFFFF, 0.12f);
    updateJunk(0.05f);
    updateJunk(0.05f);
    ASSERT_EQ(junkList.num, 1);
    EXPECT_NEAR(junkList[0].pos.x, 12.0f, 1e-4);
    EXPECT_NEAR(junkList[0].vel.y, -50.0f, 1e-3);
    updateJunk(0.05f);
    EXPECT_EQ(junkList.num, 0);
}

TEST_F(DebrisTest, RemovalKeepsTheOthers)
{
    addJunk(Vec4::point(0, 0, 0), Vec4::zero(), 1, 0.01f);
    addJunk(Vec4::point(1, 0, 0), Vec4::zero(), 2, 1.0f);
    addJunk(Vec4::point(2, 0, 0), Vec4::zero(), 3, 0.01f);
    addJunk(Vec4::point(3, 0, 0), Vec4::zero(), 4, 1.0f);
    updateJunk(0.05f);
    ASSERT_EQ(junkList.num, 2);
    EXPECT_EQ(junkList[0].colour + junkList[1].colour, 6u);
}
