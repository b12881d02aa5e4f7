// The hero: jumping, walking off ledges, fire cadence, hurts, the exit timer and aim.
#include <cmath>

#include "game/bullet.h"
#include "game/enemy.h"
#include "game/hero.h"
#include "game/junk.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "platform/vkeys.h"
#include "shell/window.h"
#include "sound/soundEvents.h"
#include "tests/world/worldFixture.h"

namespace {

constexpr float SUB_STEP = 0.0125f;

// Lets the hero settle on the ground: one sub-step from the air lands it.
void settle()
{
    theHero->doUpdate(SUB_STEP);
    ASSERT_EQ(theHero->airTime, 0.0f);
}

}  // namespace

class HeroTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        buildFloor();
        aimAt(Vec4::point(300, 20, 8));  // to the right, so the hero faces right
    }
};

TEST_F(HeroTest, AJumpGivesItsImpulseAfterTheWeakGravityOfTheFirstSubStep)
{
    settle();
    pressKey('W');
    theHero->doUpdate(SUB_STEP);
    EXPECT_FLOAT_EQ(theHero->velY, 194.375f);
    EXPECT_EQ(soundEventCount(SE_HERO_JUMP), 1);
    // The pressed bit holds for the whole step, but airTime is past the grace now.
    theHero->doUpdate(SUB_STEP);
    EXPECT_FLOAT_EQ(theHero->velY, 194.375f - 500.0f * SUB_STEP);
    EXPECT_EQ(soundEventCount(SE_HERO_JUMP), 1);
    EXPECT_GT(theHero->pos.y, FLOOR_REST_Y);
}

TEST_F(HeroTest, HoldingJumpDoesNotRepeatIt)
{
    settle();
    pressKey(VK_SPACE);
    holdKey(VK_SPACE, true);
    theHero->update(0.05f);
    endStep();
    for (int i = 0; i < 40; i++) {
        theHero->update(0.05f);
        endStep();
    }
    EXPECT_EQ(soundEventCount(SE_HERO_JUMP), 1);
}

TEST_F(HeroTest, WalkingOffALedgeLeavesAGraceTimeForAJump)
{
    fillCells(0, 0, 4095, 9, 0);
    buildFloor(0, 104);
    placeHero(100, FLOOR_REST_Y);
    settle();
    holdKey('D', true);
    // Walk until the box has left the ledge (cells up to column 104).
    int guard = 0;
    while (theHero->pos.x - 4.0f < 105.0f && guard++ < 400) theHero->doUpdate(SUB_STEP);
    ASSERT_LT(guard, 400);
    ASSERT_LE(theHero->airTime, 0.15f);
    // Weak gravity during the grace time.
    float vy = theHero->velY;
    theHero->doUpdate(SUB_STEP);
    EXPECT_FLOAT_EQ(theHero->velY, vy - 50.0f * SUB_STEP);
    // A jump is still allowed.
    pressKey('W');
    theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(soundEventCount(SE_HERO_JUMP), 1);
    EXPECT_GT(theHero->velY, 150.0f);
}

TEST_F(HeroTest, WalkingRightAcceleratesToTheWalkSpeed)
{
    settle();
    holdKey('D', true);
    theHero->doUpdate(SUB_STEP);
    EXPECT_FLOAT_EQ(theHero->velX, 500.0f * SUB_STEP);
    for (int i = 0; i < 40; i++) theHero->doUpdate(SUB_STEP);
    EXPECT_FLOAT_EQ(theHero->velX, 100.0f);
    holdKey(VK_LEFT, true);  // both directions cancel out
    theHero->doUpdate(SUB_STEP);
    EXPECT_FLOAT_EQ(theHero->velX, 100.0f - 1500.0f * SUB_STEP);
}

TEST_F(HeroTest, HoldingFireShootsAtOnceThenAtTheFireRate)
{
    settle();
    holdKey(VK_LBUTTON, true);
    theHero->doUpdate(SUB_STEP);
    ASSERT_EQ(bullets.num, 1);
    EXPECT_EQ(soundEventCount(SE_HERO_SHOOT), 1);
    Bullet* b = bullets[0];
    EXPECT_EQ(b->colour, HERO_BULLET_COLOUR);
    EXPECT_EQ(b->bulletFlags, BULLET_HERO_OWNED);
    EXPECT_EQ(b->owner, (GameObj*)theHero);
    EXPECT_NEAR(length3(b->vel), 200.0f, 1e-3);
    EXPECT_GT(b->vel.x, 0.0f);

    // 0.5 s at 10 shots per second: the first shot and four more.
    for (int i = 1; i < 40; i++) theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(bullets.num, 5);

    holdKey(VK_LBUTTON, false);
    for (int i = 0; i < 40; i++) theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(bullets.num, 5);
}

namespace {

// The sub-steps (0 = the first) in which a held button fires, over n sub-steps.
std::vector<int> shotSubSteps(int n)
{
    std::vector<int> at;
    holdKey(VK_LBUTTON, true);
    for (int i = 0; i < n; i++) {
        int before = soundEventCount(SE_HERO_SHOOT);
        theHero->doUpdate(SUB_STEP);
        if (soundEventCount(SE_HERO_SHOOT) != before) at.push_back(i);
    }
    holdKey(VK_LBUTTON, false);
    return at;
}

}  // namespace

TEST_F(HeroTest, TenShotsASecondFireOnEveryEighthSubStep)
{
    settle();
    std::vector<int> at = shotSubSteps(160);  // 2 s
    ASSERT_EQ(at.size(), 20u);
    for (size_t k = 0; k < at.size(); k++) EXPECT_EQ(at[k], (int)k * 8) << "shot " << k;
}

TEST_F(HeroTest, EachFireRateKeepsItsOwnAverageCadence)
{
    // Whole sub-steps cannot hold 1/11 s, but the overshoot is kept: 22 shots
    // in 2 s where 10 shots a second give 20, and never two in one sub-step.
    settle();
    fireRate = 11.0f;
    std::vector<int> at = shotSubSteps(160);
    EXPECT_EQ(at.size(), 22u);
    for (size_t k = 1; k < at.size(); k++) {
        EXPECT_GE(at[k] - at[k - 1], 7);
        EXPECT_LE(at[k] - at[k - 1], 8);
    }
    resetSoundEventCounts();
    theHero->reset();
    fireRate = 20.0f;
    EXPECT_EQ(shotSubSteps(160).size(), 40u);
    fireRate = 10.0f;
}

TEST_F(HeroTest, IdleTimeIsNotSavedUpForABurst)
{
    settle();
    std::vector<int> first = shotSubSteps(1);
    ASSERT_EQ(first.size(), 1u);
    for (int i = 0; i < 100; i++) theHero->doUpdate(SUB_STEP);  // a long pause
    std::vector<int> burst = shotSubSteps(16);
    EXPECT_EQ(burst, (std::vector<int>{0, 8}));
}

TEST_F(HeroTest, TheBulletLeavesFourUnitsFromTheArmPivotAlongTheAim)
{
    settle();
    aimAt(Vec4::point(theHero->pos.x - 50, theHero->pos.y + 80, 8));
    theHero->doUpdate(SUB_STEP);  // turns the hero and the arm
    holdKey(VK_LBUTTON, true);
    theHero->doUpdate(SUB_STEP);
    ASSERT_EQ(bullets.num, 1);
    Vec4 pivot = theHero->armPivotWorld();
    Vec4 aim = theHero->aim;
    Vec4 expected = pivot + aim * 4.0f;
    // The bullet's first move happens in its own update; at spawn it sits at the muzzle.
    EXPECT_NEAR(bullets[0]->pos.x, expected.x, 1e-3);
    EXPECT_NEAR(bullets[0]->pos.y, expected.y, 1e-3);
    EXPECT_LT(aim.x, 0.0f);
    EXPECT_GT(aim.y, 0.0f);
    EXPECT_NEAR(length3(bullets[0]->vel), 200.0f, 1e-3);
}

TEST_F(HeroTest, NoInputWhileTheLevelIsFinishedOrTheWindowInactive)
{
    settle();
    holdKey('D', true);
    holdKey(VK_LBUTTON, true);
    levelFinished = true;
    theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(theHero->velX, 0.0f);
    EXPECT_EQ(bullets.num, 0);
    levelFinished = false;
    windowActive = false;
    theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(theHero->velX, 0.0f);
    EXPECT_EQ(bullets.num, 0);
}

TEST_F(HeroTest, TwoHurtsWithinASecondCostOneHeart)
{
    theHero->hit(1);
    theHero->hit(5);
    EXPECT_EQ(theHero->health, 3);
    EXPECT_EQ(soundEventCount(SE_HERO_HURT), 1);
    // The invulnerability runs out after a second of sub-steps.
    settle();
    for (int i = 0; i < 80; i++) theHero->doUpdate(SUB_STEP);
    theHero->hit(1);
    EXPECT_EQ(theHero->health, 2);
}

TEST_F(HeroTest, TheLastHeartEndsInABurstWithoutTheHurtSound)
{
    theHero->health = 1;
    theHero->hit(1);
    EXPECT_EQ(theHero->health, 0);
    EXPECT_EQ(soundEventCount(SE_HERO_HURT), 0);
    EXPECT_EQ(junkList.num, 200);
    for (const Junk& j : junkList) {
        EXPECT_EQ(j.colour, HERO_DEBRIS_COLOUR);
        EXPECT_GE(j.life, 0.8f);
        EXPECT_LT(j.life, 1.2f);
        EXPECT_LE(std::fabs(j.pos.x - theHero->pos.x), 4.0f);
    }
    // A dead hero does nothing at all.
    Vec4 p = theHero->pos;
    theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(theHero->pos.y, p.y);
}

TEST_F(HeroTest, RunningIntoAnEnemyHurtsAtOnceAndAtMostOncePerSecond)
{
    settle();
    BaseEnemy* e = (BaseEnemy*)spawnLevelObject(OBJ_ENEMY, 120, FLOOR_REST_Y);
    holdKey('D', true);
    int firstHurt = -1;
    for (int i = 0; i < 80 && firstHurt < 0; i++) {
        theHero->doUpdate(SUB_STEP);
        if (theHero->health < 4) firstHurt = i;
    }
    ASSERT_GE(firstHurt, 0);
    EXPECT_TRUE(theHero->contacts & CONTACT_ENEMY);
    // Pressing against the robot for most of a second costs nothing more.
    for (int i = 0; i < 70; i++) theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(theHero->health, 3);
    for (int i = 0; i < 20; i++) theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(theHero->health, 2);
    (void)e;
}

// A hero at rest sinks by less than the 0.01 gap in one quarter step under
// weak gravity, so it touches the floor in every other sub-step; the exit
// time counts the sub-steps with contact.
TEST_F(HeroTest, HalfASecondOfContactWithTheElevatorFloorFinishesTheLevel)
{
    fillCells(90, 0, 110, 9, 200);
    int contactSteps = 0, steps = 0;
    while (!levelFinished && steps < 200) {
        theHero->doUpdate(SUB_STEP);
        steps++;
        if (theHero->contacts & CONTACT_EXIT) contactSteps++;
        if (!levelFinished) {
            EXPECT_NEAR(theHero->exitTimer, contactSteps * SUB_STEP, 1e-4);
        }
    }
    EXPECT_TRUE(levelFinished);
    EXPECT_GE(contactSteps, 40);
    EXPECT_LE(contactSteps, 41);
    EXPECT_GT(steps, contactSteps);  // resting, it touches the floor every other sub-step
}

TEST_F(HeroTest, AShortHopKeepsTheExitCountAndLandingElsewhereResetsIt)
{
    fillCells(90, 0, 110, 9, 200);
    settle();
    while (theHero->exitTimer < 0.4f) theHero->doUpdate(SUB_STEP);
    while (!(theHero->contacts & CONTACT_EXIT)) theHero->doUpdate(SUB_STEP);
    float counted = theHero->exitTimer;
    // A little hop: in the air for a few sub-steps, within the grace time.
    theHero->pos.y += 0.05f;
    int airborne = 0;
    do {
        theHero->doUpdate(SUB_STEP);
        airborne++;
    } while (!(theHero->contacts & CONTACT_FLOOR) && airborne < 20);
    EXPECT_GT(airborne, 2);
    EXPECT_LT(airborne * SUB_STEP, 0.15f);
    EXPECT_NEAR(theHero->exitTimer, counted + SUB_STEP, 1e-4);
    EXPECT_FALSE(levelFinished);

    // Landing on plain floor resets the count.
    placeHero(300, FLOOR_REST_Y);
    theHero->exitTimer = counted;
    settle();
    EXPECT_EQ(theHero->exitTimer, 0.0f);
}

TEST_F(HeroTest, AJumpOffTheElevatorFloorResetsTheCount)
{
    fillCells(90, 0, 110, 9, 200);
    settle();
    while (theHero->exitTimer < 0.3f) theHero->doUpdate(SUB_STEP);
    pressKey('W');
    theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(theHero->exitTimer, 0.0f);  // a real jump leaves the grace time at once
}

TEST_F(HeroTest, ACursorOnTheArmPivotKeepsTheAimAndFacing)
{
    settle();
    theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(theHero->facing, 1);
    Vec4 aim = theHero->aim;
    aimAt(theHero->armPivotWorld());
    theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(theHero->facing, 1);
    EXPECT_FLOAT_EQ(theHero->aim.x, aim.x);
    EXPECT_FLOAT_EQ(theHero->aim.y, aim.y);

    aimAt(Vec4::point(0, 20, 8));
    theHero->doUpdate(SUB_STEP);
    EXPECT_EQ(theHero->facing, 0);
    EXPECT_LT(theHero->aim.x, 0.0f);
}

TEST_F(HeroTest, TheArmTransformIsTheBodyTransformWhenAimingStraightAhead)
{
    settle();
    aimAt(theHero->armPivotWorld() + Vec4(50, 0, 0, 0));
    theHero->update(0.05f);
    Mat4 body = theHero->tm;
    Mat4 arm = theHero->armTransform(0.05f, body);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) EXPECT_NEAR(arm.at(r, c), body.at(r, c), 5e-3) << r << "," << c;
}

TEST_F(HeroTest, TheLegsSettleWhenStanding)
{
    settle();
    holdKey('D', true);
    for (int i = 0; i < 30; i++) theHero->doUpdate(SUB_STEP);
    EXPECT_GT(theHero->walkPhase, 0.0f);
    holdKey('D', false);
    theHero->doUpdate(SUB_STEP);
    EXPECT_TRUE(theHero->walkPhase == 0.0f || theHero->walkPhase == 4.0f);
}

TEST_F(HeroTest, FallingOutOfTheLevelKills)
{
    fillCells(0, 0, 4095, 9, 0);
    for (int i = 0; i < 400 && theHero->health > 0; i++) theHero->update(0.05f);
    EXPECT_EQ(theHero->health, 0);
    EXPECT_LT(theHero->pos.y, -400.0f);
    EXPECT_EQ(junkList.num, 0);
}
