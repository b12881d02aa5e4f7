// Play step switches, camera, view window, elevator ride, game over, progress
// and the state-dump section.
#include <algorithm>
#include <cmath>
#include <string>

#include "game/camera.h"
#include "game/gameMode.h"
#include "game/gameover.h"
#include "game/hero.h"
#include "game/junk.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/upgrades.h"
#include "game/worldDump.h"
#include "game/worldView.h"
#include "platform/vkeys.h"
#include "shell/gamepad.h"
#include "shell/stateDump.h"
#include "sound/soundEvents.h"
#include "tests/world/worldFixture.h"
#include "voxel/voxelSprite.h"

namespace {

// An elevator platform of exit material: columns x0..x1, rows y0..y1, in the
// collision layer and the layers around it.
void buildPlatform(int x0, int y0, int x1, int y1)
{
    for (int z = 2; z < 18; z++)
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++) levelVoxel(x, y, z) = 200;
}

// Stand-ins for the screens that follow play.
class ModeTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        upgradeGameMode = &upgrade;
        endDemoGameMode = &endDemo;
        titleGameMode = &title;
    }
    void TearDown() override
    {
        switchGameMode(nullptr);
        upgradeGameMode = endDemoGameMode = titleGameMode = nullptr;
        WorldTest::TearDown();
    }
    StandInMode upgrade{"UpgradeGameMode"};
    StandInMode endDemo{"EndDemoGameMode"};
    StandInMode title{"TitleGameMode"};
};

}  // namespace

TEST_F(ModeTest, AStepInWhichTheHeroDiesAndFinishesEndsInTheElevator)
{
    buildPlatform(500, 40, 530, 47);
    currentGameMode = playGameMode;
    theHero->health = 0;
    levelFinished = true;
    playStep(0.05f);
    EXPECT_EQ(currentGameMode, elevatorGameMode);
    EXPECT_EQ(soundEventCount(SE_HERO_DEAD), 1);  // game over was entered on the way
    EXPECT_EQ(soundEventCount(SE_SKYWARD_ELEVATOR), 1);
}

TEST_F(ModeTest, AHeroWithoutHeartsSwitchesToGameOver)
{
    currentGameMode = playGameMode;
    theHero->health = 0;
    playGameMode->update(0.05f);
    EXPECT_EQ(currentGameMode, gameOverMode);
}

TEST_F(ModeTest, TheGameOverDelayIgnoresReleasesUntilItHasRunOut)
{
    theHero->health = 0;
    switchGameMode(gameOverMode);
    EXPECT_EQ(soundEventCount(SE_HERO_DEAD), 1);
    int step = 0;
    for (; step < 20 && soundEventCount(SE_GAME_OVER) == 0; step++) {
        releaseKey(VK_SPACE);
        gameOverMode->update(0.05f);
        endStep();
    }
    EXPECT_EQ(step, 10);  // 10 x 0.05 s reach the 0.5 s delay
    EXPECT_EQ(currentGameMode, gameOverMode);

    // A key held down does nothing until it is released.
    pressKey(VK_RETURN);
    gameOverMode->update(0.05f);
    endStep();
    EXPECT_EQ(currentGameMode, gameOverMode);
    releaseKey(VK_RETURN);
    gameOverMode->update(0.05f);
    endStep();
    EXPECT_EQ(currentGameMode, &title);
    EXPECT_EQ(soundEventCount(SE_GAME_OVER), 1);
}

TEST_F(ModeTest, TheRightMouseButtonAlsoLeavesGameOver)
{
    theHero->health = 0;
    switchGameMode(gameOverMode);
    for (int i = 0; i < 11; i++) gameOverMode->update(0.05f);
    releaseKey(VK_RBUTTON);
    gameOverMode->update(0.05f);
    endStep();
    EXPECT_EQ(currentGameMode, &title);
}

TEST_F(ModeTest, TheControllersAOrStartLeavesGameOverOnRelease)
{
    for (int button : {PAD_A, PAD_START}) {
        theHero->health = 0;
        switchGameMode(gameOverMode);
        for (int i = 0; i < 11; i++) gameOverMode->update(0.05f);
        padButton(button, true);
        gameOverMode->update(0.05f);
        endStep();
        EXPECT_EQ(currentGameMode, gameOverMode) << padButtonName(button);
        padButton(button, false);
        gameOverMode->update(0.05f);
        endStep();
        EXPECT_EQ(currentGameMode, &title) << padButtonName(button);
    }
}

TEST_F(ModeTest, TheElevatorCutsOutThePlatformAndClearsTheShaft)
{
    buildPlatform(500, 40, 530, 47);
    fillCells(480, 60, 560, 70, 150);  // indestructible cells over the shaft
    spawnLevelObject(OBJ_ENEMY, 300, 50);
    spawnLevelObject(OBJ_HEART, 300, 50);
    addJunk(Vec4::point(0, 0, 0), Vec4::zero(), 1, 1.0f);
    switchGameMode(elevatorGameMode);
    EXPECT_EQ(elevatorMode.x0, 500);
    EXPECT_EQ(elevatorMode.x1, 530);
    EXPECT_EQ(elevatorMode.y0, 40);
    EXPECT_EQ(elevatorMode.top, 47);
    EXPECT_EQ(elevatorMode.speed, 1);
    ASSERT_NE(elevatorMode.platform, nullptr);
    EXPECT_EQ(elevatorMode.platform->nx, 31);
    EXPECT_EQ(elevatorMode.platform->ny, 8);
    EXPECT_EQ(elevatorMode.platform->nz, 19);  // layers 1..19
    EXPECT_EQ(enemies.num, 0);
    EXPECT_EQ(heartBonuses.num, 1);  // pick-ups stay
    EXPECT_EQ(junkList.num, 0);
    // The shaft is open in layers 0..15 whatever was there; the sides stay.
    EXPECT_EQ(levelVoxel(515, 65, 10), 0);
    EXPECT_EQ(levelVoxel(515, 65, 15), 0);
    EXPECT_EQ(levelVoxel(515, 65, 16), 150);
    EXPECT_EQ(levelVoxel(499, 65, 10), 150);
    EXPECT_EQ(levelVoxel(515, 45, 10), 200);  // the platform itself stays in the volume
}

TEST_F(ModeTest, AnElevatorNearTheTopRightIsFoundInAClippedWindow)
{
    buildPlatform(4090, 240, 4095, 242);
    levelVoxel(4095, 255, 3) = 220;   // inside the clipped window
    levelVoxel(4050, 241, 10) = 220;  // more than 32 columns left of the seed
    switchGameMode(elevatorGameMode);
    EXPECT_EQ(elevatorMode.x0, 4090);
    EXPECT_EQ(elevatorMode.x1, 4095);
    EXPECT_EQ(elevatorMode.y0, 240);
    EXPECT_EQ(elevatorMode.top, 255);
}

TEST_F(ModeTest, TheRideSpeedsUpToTenRowsAStepAndThenCompletesTheLevel)
{
    buildPlatform(500, 40, 530, 47);
    switchGameMode(elevatorGameMode);
    int steps = 0;
    while (currentGameMode == elevatorGameMode && steps < 100) {
        elevatorGameMode->update(0.05f);
        steps++;
        if (currentGameMode == elevatorGameMode) {
            EXPECT_FLOAT_EQ(theHero->pos.x, 515.0f);
            EXPECT_FLOAT_EQ(theHero->pos.y, (float)elevatorMode.top);
        }
    }
    // From row 47: +1, +2, ... +9 reach 92, then 10 rows a step: 102 ... 252,
    // 255 (capped), and one more step to notice the ride is over.
    EXPECT_EQ(steps, 9 + 16 + 1 + 1);
    EXPECT_EQ(currentGameMode, &upgrade);
    EXPECT_EQ(levelNumber, 2);
    EXPECT_EQ(upgradePoints, 5);
    EXPECT_EQ(elevatorMode.platform, nullptr);  // freed on leaving
}

TEST_F(ModeTest, AfterTheSecondLevelTheRideLeadsToTheEndScreen)
{
    buildPlatform(500, 240, 530, 250);
    levelNumber = 2;
    switchGameMode(elevatorGameMode);
    for (int i = 0; i < 10 && currentGameMode == elevatorGameMode; i++) elevatorGameMode->update(0.05f);
    EXPECT_EQ(currentGameMode, &endDemo);
    EXPECT_EQ(levelNumber, 3);
}

TEST_F(ModeTest, NewGameResetsProgressAndTheHerosHealth)
{
    levelNumber = 3;
    upgradePoints = 12;
    fireRate = 14;
    wallDestruction = 4;
    theHero->health = 9;
    newGameProgress();
    EXPECT_EQ(levelNumber, 1);
    EXPECT_EQ(upgradePoints, 0);
    EXPECT_EQ(fireRate, 10.0f);
    EXPECT_EQ(wallDestruction, 2);
    EXPECT_EQ(theHero->health, 4);
    completeLevel();
    EXPECT_EQ(levelNumber, 2);
    EXPECT_EQ(upgradePoints, 5);
}

TEST_F(ModeTest, UpgradesApplyAndWallDestructionStopsAtFour)
{
    ASSERT_NE(upgradeList[0], nullptr);
    EXPECT_EQ(upgradeList[0]->name(), "Health");
    EXPECT_EQ(upgradeList[1]->name(), "Fire rate");
    EXPECT_EQ(upgradeList[2]->name(), "Wall destruction");
    EXPECT_EQ(upgradeList[3], nullptr);
    upgradeList[0]->apply();
    EXPECT_EQ(theHero->health, 5);
    upgradeList[1]->apply();
    EXPECT_EQ(fireRate, 11.0f);
    upgradeList[2]->apply();
    EXPECT_TRUE(upgradeList[2]->canUpgrade());
    upgradeList[2]->apply();
    EXPECT_EQ(wallDestruction, 4);
    EXPECT_FALSE(upgradeList[2]->canUpgrade());
}

using CameraTest = WorldTest;

TEST_F(CameraTest, TheCameraMovesAtMostFifteenCellsPerStep)
{
    placeHero(1000, 100);
    cameraSet(Vec4::point(600, 109, 0));
    theHero->target = Vec4::point(1000, 109, 8);  // desired = the focus (1000, 109)
    cameraFollow(0.05f);
    EXPECT_NEAR(cameraPosition().x, 615.0f, 1e-3);
    EXPECT_NEAR(cameraPosition().y, 109.0f, 1e-3);
    // Close enough: it lands on the desired point.
    cameraSet(Vec4::point(990, 109, 0));
    cameraFollow(0.05f);
    EXPECT_NEAR(cameraPosition().x, 1000.0f, 1e-3);
}

TEST_F(CameraTest, TheCameraLeansTowardsTheAimTarget)
{
    placeHero(1000, 100);
    theHero->target = Vec4::point(1100, 109, 8);
    cameraFollow(0.05f);
    EXPECT_NEAR(cameraPosition().x, 1015.0f, 1e-3);
    cameraFollow(0.05f);
    EXPECT_NEAR(cameraPosition().x, 1030.0f, 1e-3);  // 30% of the way to the target
    cameraFollow(0.05f);
    EXPECT_NEAR(cameraPosition().x, 1030.0f, 1e-3);
}

TEST_F(CameraTest, RenderBlendsBetweenSteps)
{
    cameraSet(Vec4::point(100, 50, 0));
    cameraSet(Vec4::point(110, 60, 0));
    Vec4 c = cameraForRender(0.025f);
    EXPECT_FLOAT_EQ(c.x, 105.0f);
    EXPECT_FLOAT_EQ(c.y, 55.0f);
}

TEST_F(CameraTest, TheViewWindowIsKeptUnclampedNearTheLevelEdges)
{
    ViewWindow w = computeViewWindow(Vec4::point(10, 240, 0), worldViewSize);
    // 1280 x 720 at scale 6: 213 x 120 cells plus margins of 80 and 60.
    EXPECT_EQ(w.x0, 10 - 146);
    EXPECT_EQ(w.x1, 10 - 146 + 293);
    EXPECT_EQ(w.y0, 240 - 90);
    EXPECT_EQ(w.y1, 240 - 90 + 180);
}

using StateDumpTest = WorldTest;

TEST_F(StateDumpTest, TheWorldSectionHasEveryKey)
{
    spawnLevelObject(OBJ_ENEMY, 300, 50);
    spawnLevelObject(OBJ_BARREL, 320, 50);
    playSoundEvent(SE_START_LEVEL);
    levelVoxel(3, 4, 5) = 7;
    JsonWriter json;
    json.beginObject();
    writeWorldState(json);
    json.endObject();
    const std::string& s = json.text();
    for (const char* key : {"\"level_number\":1", "\"upgrade_points\":0", "\"fire_rate\":10", "\"wall_destruction\":2",
                            "\"level_finished\":false", "\"hero\":{\"x\":100,", "\"health\":4", "\"enemies\":1",
                            "\"explosives\":1", "\"bullets\":0", "\"heartBonuses\":0", "\"upBonuses\":0", "\"junk\":0",
                            "\"layout\":[", "\"start_level\":1", "\"bonus_up\":0"})
        EXPECT_NE(s.find(key), std::string::npos) << key << " in " << s;
    char hash[40];
    snprintf(hash, sizeof(hash), "\"level_hash\":\"%016llx\"", (unsigned long long)levelVolumeHash());
    EXPECT_NE(s.find(hash), std::string::npos);
    // 96 layout codes.
    size_t a = s.find("\"layout\":[") + 10, b = s.find(']', a);
    EXPECT_EQ(std::count(s.begin() + a, s.begin() + b, ','), 95);
}

TEST_F(StateDumpTest, TheVolumeHashFollowsEveryVoxel)
{
    uint64_t empty = levelVolumeHash();
    levelVoxel(4095, 255, 19) = 1;
    EXPECT_NE(levelVolumeHash(), empty);
    levelVoxel(4095, 255, 19) = 0;
    EXPECT_EQ(levelVolumeHash(), empty);
}
