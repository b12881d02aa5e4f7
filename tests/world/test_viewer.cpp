// The level viewer: panning by the pointer's distance from the centre, the
// frozen world, and the two ways back into play.
#include "game/camera.h"
#include "game/gameObj.h"
#include "game/hero.h"
#include "game/playMode.h"
#include "game/viewLevel.h"
#include "game/worldView.h"
#include "platform/vkeys.h"
#include "shell/input.h"
#include "shell/inputQueue.h"
#include "tests/world/worldFixture.h"

class ViewerTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        InputPlatform p;
        p.backBufferSize = [](int* w, int* h) {
            *w = 1280;
            *h = 720;
        };
        setInputPlatform(p);
        buildFloor();
        cameraSet(Vec4::point(300, 100, 0));
        switchGameMode(&viewLevelScreen);
    }
    void TearDown() override
    {
        setInputPlatform(InputPlatform());
        WorldTest::TearDown();
    }
    void pointerTo(float x, float y) { queueInputEvent(IEV_MOUSE_MOVE, 0, false, x, y, 0); }
    void step()
    {
        currentGameMode->update(0.05f);
        endStep();
    }
};

TEST_F(ViewerTest, TheFirstStepOnlyCentresThePointer)
{
    pointerTo(1200, 20);
    step();
    EXPECT_EQ(viewLevelScreen.view.x, 300);
    EXPECT_EQ(viewLevelScreen.view.y, 100);
    EXPECT_EQ(getMousePosition().x, 640);
    EXPECT_EQ(getMousePosition().y, 360);
}

TEST_F(ViewerTest, APointerOffTheCentrePansHalfACellPerPixel)
{
    step();
    pointerTo(740, 360);  // 100 pixels to the right
    step();
    EXPECT_EQ(viewLevelScreen.view.x, 350);
    EXPECT_EQ(viewLevelScreen.view.y, 100);
    EXPECT_EQ(cameraPosition().x, 350);
    pointerTo(640, 300);  // 60 pixels up
    step();
    EXPECT_EQ(viewLevelScreen.view.y, 130);
}

TEST_F(ViewerTest, TheWorldIsFrozenWhileViewing)
{
    Vec4 hero = heroPos();
    theHero->velX = 80;
    for (int i = 0; i < 10; i++) step();
    EXPECT_EQ(heroPos().x, hero.x);
    EXPECT_EQ(heroPos().y, hero.y);
}

TEST_F(ViewerTest, LeavingWithoutSpaceRestoresTheCameraAndKeepsTheHero)
{
    Vec4 hero = heroPos();
    step();
    pointerTo(1000, 100);
    step();
    switchGameMode(playGameMode);
    EXPECT_EQ(cameraPosition().x, 300);
    EXPECT_EQ(cameraPosition().y, 100);
    EXPECT_EQ(heroPos().x, hero.x);
}

TEST_F(ViewerTest, SpacePutsTheHeroAtTheViewedPointAndResumesPlay)
{
    step();
    pointerTo(840, 360);  // view.x 300 -> 400
    step();
    releaseKey(VK_SPACE);
    step();
    EXPECT_EQ(currentGameMode, playGameMode);
    EXPECT_EQ(heroPos().x, 400);
    EXPECT_EQ(heroPos().y, 100);
    EXPECT_EQ(cameraPosition().x, 400);
}
