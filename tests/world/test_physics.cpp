// Box movement against level cells and other objects, and the swept-box test.
#include <cmath>

#include "game/enemy.h"
#include "game/explosive.h"
#include "game/hero.h"
#include "game/physics.h"
#include "tests/world/worldFixture.h"

namespace {

const Vec4 heroMin(-4, 0, -6, 0);
const Vec4 heroMax(4, 15, 6, 0);

// Walks a hero-sized box right by one unit per call, as moveBox sees it.
int walkRight(Vec4& pos, int moves)
{
    int flags = 0;
    for (int i = 0; i < moves; i++) flags = moveBox(pos, nullptr, pos + Vec4(1, 0, 0, 0), heroMin, heroMax, 4);
    return flags;
}

}  // namespace

class BoxMovement : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        placeHero(3000, 200);  // out of the way unless a test puts it somewhere
    }
};

TEST_F(BoxMovement, ABoxOverlappingAWallIsSetBackToRestJustBeforeIt)
{
    buildFloor();
    fillCells(100, 10, 110, 60, 5);
    Vec4 pos = Vec4::point(98, FLOOR_REST_Y, 8);  // right edge 2 units inside the wall
    int flags = moveBox(pos, nullptr, pos + Vec4(1, 0, 0, 0), heroMin, heroMax, 4);
    EXPECT_NEAR(pos.x + 4, 99.99f, 1e-4);
    EXPECT_TRUE(flags & CONTACT_RIGHT);
}

TEST_F(BoxMovement, ABoxInAGapNarrowerThanItselfEndsCentredInTheGap)
{
    buildFloor();
    fillCells(100, 10, 110, 60, 5);
    fillCells(80, 10, 93, 60, 5);  // the gap spans 94..100, six units for an eight-unit box
    Vec4 pos = Vec4::point(98, FLOOR_REST_Y, 8);
    moveBox(pos, nullptr, pos + Vec4(1, 0, 0, 0), heroMin, heroMax, 4);
    EXPECT_NEAR(pos.x, 97.0f, 1e-4);
}

TEST_F(BoxMovement, AFourUnitLedgeIsClimbedAndAFiveUnitLedgeStops)
{
    buildFloor();
    fillCells(104, 10, 140, 13, 5);  // top at 14: four units above the floor
    Vec4 pos = Vec4::point(95, FLOOR_REST_Y, 8);
    walkRight(pos, 20);
    EXPECT_GT(pos.x, 110.0f);
    EXPECT_NEAR(pos.y, 14.01f, 1e-4);

    fillCells(104, 14, 140, 14, 5);  // now five units
    pos = Vec4::point(95, FLOOR_REST_Y, 8);
    int flags = walkRight(pos, 20);
    EXPECT_NEAR(pos.x + 4, 103.99f, 1e-4);
    EXPECT_NEAR(pos.y, FLOOR_REST_Y, 1e-4);
    EXPECT_TRUE(flags & CONTACT_RIGHT);

    // The same ledge seen from the other side.
    pos = Vec4::point(160, FLOOR_REST_Y, 8);
    int leftFlags = 0;
    for (int i = 0; i < 30; i++) leftFlags = moveBox(pos, nullptr, pos - Vec4(1, 0, 0, 0), heroMin, heroMax, 4);
    EXPECT_NEAR(pos.x - 4, 141.01f, 1e-4);
    EXPECT_TRUE(leftFlags & CONTACT_LEFT);
}

TEST_F(BoxMovement, AStepUnderALowCeilingIsRefusedAndTheWalkerStopsAtIt)
{
    buildFloor();
    fillCells(104, 10, 140, 12, 5);  // a three-unit step, top at 13
    fillCells(104, 27, 140, 40, 5);  // ceiling: 14 units above the step, the box is 15 tall
    Vec4 pos = Vec4::point(95, FLOOR_REST_Y, 8);
    int flags = walkRight(pos, 20);
    EXPECT_NEAR(pos.x + 4, 103.99f, 1e-4);
    EXPECT_NEAR(pos.y, FLOOR_REST_Y, 1e-4);
    EXPECT_TRUE(flags & CONTACT_RIGHT);
}

TEST_F(BoxMovement, StandingOnABarrelIsPlainFloorAndOnAnEnemyFloorWithTheEnemyFlag)
{
    buildFloor();
    spawnLevelObject(OBJ_BARREL, 200, FLOOR_REST_Y);  // top at 21.01
    Vec4 pos = Vec4::point(200, 22.0f, 8);
    int flags = moveBox(pos, theHero, pos - Vec4(0, 2, 0, 0), heroMin, heroMax, 4);
    EXPECT_EQ(flags, CONTACT_FLOOR);
    EXPECT_NEAR(pos.y, 21.02f, 1e-4);

    spawnLevelObject(OBJ_ENEMY, 300, FLOOR_REST_Y);  // top at 24.01
    pos = Vec4::point(300, 25.0f, 8);
    flags = moveBox(pos, theHero, pos - Vec4(0, 2, 0, 0), heroMin, heroMax, 4);
    EXPECT_EQ(flags, CONTACT_FLOOR | CONTACT_ENEMY);
    EXPECT_NEAR(pos.y, 24.02f, 1e-4);
}

TEST_F(BoxMovement, WalkingIntoTheHeroReportsTheHeroFlag)
{
    buildFloor();
    placeHero(120, FLOOR_REST_Y);
    Vec4 pos = Vec4::point(100, FLOOR_REST_Y, 8);
    int flags = 0;
    for (int i = 0; i < 20; i++) flags = moveBox(pos, nullptr, pos + Vec4(1, 0, 0, 0), heroMin, heroMax, 4);
    EXPECT_EQ(flags & (CONTACT_RIGHT | CONTACT_HERO), CONTACT_RIGHT | CONTACT_HERO);
    EXPECT_NEAR(pos.x + 4, 116 - 0.01f, 1e-4);
}

TEST_F(BoxMovement, ExitCellsSetTheExitFlag)
{
    buildFloor(0, 4095, 200);
    Vec4 pos = Vec4::point(100, 12, 8);
    int flags = moveBox(pos, nullptr, pos - Vec4(0, 5, 0, 0), heroMin, heroMax, 4);
    EXPECT_EQ(flags, CONTACT_FLOOR | CONTACT_EXIT);
}

using SweptBox = WorldTest;

TEST_F(SweptBox, ZeroRelativeMotionNeverEntersEvenWhenOverlapping)
{
    GameObj* e = spawnLevelObject(OBJ_ENEMY, 100, 50);
    EXPECT_EQ(e->traceBox(Vec4(98, 52, 0, 1), Vec4(102, 56, 20, 1), Vec4::zero(), 0.05f, 1.0f), -1.0f);
}

TEST_F(SweptBox, EntryTimeAlongXAndTheOverlapOnTheOtherAxis)
{
    GameObj* e = spawnLevelObject(OBJ_ENEMY, 100, 50);  // box x 94..106, y 50..64
    // A 4-unit box at x 80..84 moving 20 right: the leading edge meets 94 at t = 0.5.
    float t = e->traceBox(Vec4(80, 55, 0, 1), Vec4(84, 59, 20, 1), Vec4(20, 0, 0, 0), 0.05f, 1.0f);
    EXPECT_FLOAT_EQ(t, 0.5f);
    // Passing above the box misses.
    EXPECT_EQ(e->traceBox(Vec4(80, 70, 0, 1), Vec4(84, 74, 20, 1), Vec4(20, 0, 0, 0), 0.05f, 1.0f), -1.0f);
    // An entry at or beyond tMax does not count.
    EXPECT_EQ(e->traceBox(Vec4(80, 55, 0, 1), Vec4(84, 59, 20, 1), Vec4(20, 0, 0, 0), 0.05f, 0.5f), -1.0f);
}

TEST_F(SweptBox, TraceObjectsFindsTheEarliestAndSkipsTheExcludedObject)
{
    GameObj* nearEnemy = spawnLevelObject(OBJ_ENEMY, 100, 50);
    GameObj* barrel = spawnLevelObject(OBJ_BARREL, 90, 50);  // box x 85..95
    GameObj* hit = nullptr;
    float t = traceObjects(Vec4(60, 55, 0, 1), Vec4(64, 59, 20, 1), Vec4(40, 0, 0, 0), 0.05f, 1.0f, nullptr, &hit);
    EXPECT_EQ(hit, barrel);
    EXPECT_FLOAT_EQ(t, (85.0f - 64.0f) / 40.0f);
    t = traceObjects(Vec4(60, 55, 0, 1), Vec4(64, 59, 20, 1), Vec4(40, 0, 0, 0), 0.05f, 1.0f, barrel, &hit);
    EXPECT_EQ(hit, nearEnemy);
    t = traceObjects(Vec4(60, 55, 0, 1), Vec4(64, 59, 20, 1), Vec4(10, 0, 0, 0), 0.05f, 1.0f, nullptr, &hit);
    EXPECT_EQ(hit, nullptr);
    EXPECT_EQ(t, -1.0f);
}

TEST_F(SweptBox, CollideBoxGivesOverlapDepthsOnlyForLivingOverlappingObjects)
{
    GameObj* e = spawnLevelObject(OBJ_ENEMY, 100, 50);  // box x 94..106, y 50..64
    Vec4 out;
    e->collideBox(Vec4(104, 60, 0, 1), Vec4(110, 70, 0, 1), out, nullptr);
    EXPECT_FLOAT_EQ(out.x, 2);   // 106 - 104
    EXPECT_FLOAT_EQ(out.y, 4);   // 64 - 60
    EXPECT_FLOAT_EQ(out.z, 16);  // 110 - 94
    EXPECT_FLOAT_EQ(out.w, 20);  // 70 - 50
    e->collideBox(Vec4(104, 60, 0, 1), Vec4(110, 70, 0, 1), out, e);
    EXPECT_FLOAT_EQ(out.x, 0);
    e->collideBox(Vec4(107, 60, 0, 1), Vec4(110, 70, 0, 1), out, nullptr);
    EXPECT_FLOAT_EQ(out.z, 0);
}
