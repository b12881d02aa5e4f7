// The title and end-of-demo screens, the way into and out of them, relayout
// on resize and the "gui" section of the state dump.
#include <gtest/gtest.h>

#include "game/gameover.h"
#include "game/hero.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/worldDump.h"
#include "shell/stateDump.h"
#include "shell/window.h"
#include "sound/soundEvents.h"
#include "tests/screens/menuFixture.h"

namespace {

using TitleScreen = MenuTest;
using EndScreen = MenuTest;
using MenuFlow = MenuTest;

// A game in progress: level 2, points, upgrades and a hurt hero.
void playedAWhile()
{
    levelNumber = 2;
    upgradePoints = 3;
    fireRate = 12.0f;
    wallDestruction = 4;
    theHero->health = 1;
}

void expectNewGame()
{
    EXPECT_EQ(currentGameMode, playGameMode);
    EXPECT_EQ(levelNumber, 1);
    EXPECT_EQ(upgradePoints, 0);
    EXPECT_EQ(fireRate, 10.0f);
    EXPECT_EQ(wallDestruction, 2);
    EXPECT_EQ(theHero->health, 4);
    EXPECT_EQ(soundEventCount(SE_START_LEVEL), 1);
}

}  // namespace

TEST_F(TitleScreen, ShowsItsTextsAndPlayStartsANewGame)
{
    playedAWhile();
    switchGameMode(titleGameMode);
    EXPECT_EQ(soundEventCount(SE_TITLE_SCREEN), 1);
    std::string texts = visibleTexts(titleScreen.scr->root);
    EXPECT_EQ(texts.substr(0, texts.find("|:(c)")), ":SKYWARD!|.normal:Play|.normal:Quit|:Version 0.04 DEMO");
    uint64_t hash = levelVolumeHash();
    click(find("play"));
    expectNewGame();
    EXPECT_EQ(soundEventCount(SE_NEW_GAME), 1);
    EXPECT_NE(levelVolumeHash(), hash);
    EXPECT_EQ(titleScreen.scr, nullptr);
    EXPECT_FALSE(quitRequested);
}

TEST_F(TitleScreen, QuitEndsTheRunThroughTheNormalQuit)
{
    switchGameMode(titleGameMode);
    click(find("quit"));
    EXPECT_TRUE(quitRequested);
    EXPECT_EQ(currentGameMode, titleGameMode);
}

TEST_F(TitleScreen, AClickBesideTheButtonsDoesNothing)
{
    switchGameMode(titleGameMode);
    GuiElem* play = find("play");
    const GuiRect& b = play->boxRect;
    pointerMove(b.left - 20, (b.top + b.bottom) / 2);
    pointerButton(true);
    pointerButton(false);
    currentGameMode->update(0.05f);
    EXPECT_EQ(currentGameMode, titleGameMode);
    EXPECT_EQ(soundEventCount(SE_NEW_GAME), 0);
}

TEST_F(EndScreen, RestartStartsOverAtLevelOneWithoutASoundOfItsOwn)
{
    playedAWhile();
    switchGameMode(endDemoGameMode);
    EXPECT_EQ(soundEventCount(SE_END_DEMO_SCREEN), 1);
    EXPECT_EQ(visibleTexts(endDemoScreen.scr->root),
              ":SKYWARD!|:End of DEMO|:Thanks for playing!|:You can get the game at|"
              ":https://quillongames.com/skyward|.normal:Quit|.normal:Restart");
    // Quit at the bottom left, Restart at the bottom right, level with each other.
    GuiElem *quit = find("quit"), *restart = find("restart");
    EXPECT_LT(quit->boxRect.right, restart->boxRect.left);
    EXPECT_EQ(quit->boxRect.bottom, restart->boxRect.bottom);
    click(restart);
    expectNewGame();
    EXPECT_EQ(soundEventCount(SE_NEW_GAME), 0);
}

TEST_F(EndScreen, QuitEndsTheRun)
{
    switchGameMode(endDemoGameMode);
    click(find("quit"));
    EXPECT_TRUE(quitRequested);
}

TEST_F(MenuFlow, RidesLeadToUpgradesThenToTheEndAndDeathToTheTitle)
{
    // The ride's end: level 1 finished leads to the upgrades, level 2 to the end.
    elevatorMode.top = 255;
    currentGameMode = elevatorGameMode;
    elevatorGameMode->update(0.05f);
    EXPECT_EQ(currentGameMode, upgradeGameMode);
    EXPECT_EQ(levelNumber, 2);
    EXPECT_EQ(upgradePoints, 5);
    currentGameMode = elevatorGameMode;
    elevatorGameMode->update(0.05f);
    EXPECT_EQ(currentGameMode, endDemoGameMode);
    EXPECT_EQ(levelNumber, 3);

    // Game over returns to the title once the delay has run out.
    currentGameMode = nullptr;
    theHero->health = 0;
    switchGameMode(gameOverMode);
    for (int i = 0; i < 10; i++) {
        gameOverMode->update(0.05f);
        endStep();
    }
    releaseKey(VK_SPACE);
    gameOverMode->update(0.05f);
    EXPECT_EQ(currentGameMode, titleGameMode);
    EXPECT_NE(titleScreen.scr, nullptr);
}

TEST_F(MenuFlow, AResizeLaysTheCurrentScreenOutAgain)
{
    switchGameMode(titleGameMode);
    GuiElem* play = find("play");
    float wideLeft = play->boxRect.left;
    EXPECT_EQ(titleScreen.scr->scale, 2);
    renderer.w = 1280;
    renderer.h = 960;
    titleGameMode->onResize();
    EXPECT_EQ(titleScreen.scr->scale, 4);
    // Still centred: 40 units of 32 pixels in 1280.
    EXPECT_EQ(titleScreen.scr->root->boxRect.left, 0.0f);
    EXPECT_EQ(play->boxRect.right - play->boxRect.left, 12 * 32 + 2 * 4.0f);
    EXPECT_NE(play->boxRect.left, wideLeft);
    // A mode without a screen takes a resize quietly.
    upgradeGameMode->onResize();
}

TEST_F(MenuFlow, TheStateDumpListsTheCurrentScreensElements)
{
    JsonWriter play;
    writeGuiState(play);
    EXPECT_EQ(play.text(), "");  // not a menu screen: no "gui" key

    switchGameMode(titleGameMode);
    JsonWriter json;
    json.beginObject();
    writeGuiState(json);
    json.endObject();
    const std::string& t = json.text();
    EXPECT_EQ(t.rfind("{\"gui\":[{\"name\":\"root\",\"text\":\"\",\"id\":0,\"hidden\":false,\"visible\":true,", 0), 0u)
        << t;
    // The Play button and its looks, with the rectangle a click hits.
    GuiElem* button = find("play");
    const GuiRect& b = button->boxRect;
    const GuiRect& w = button->borderWidths;
    char expected[256];
    snprintf(
        expected, sizeof(expected),
        "{\"name\":\"play\",\"text\":\"\",\"id\":1,\"hidden\":false,\"visible\":true,\"rect\":[%.9g,%.9g,%.9g,%.9g]}",
        (double)(b.left - w.left), (double)(b.top - w.top), (double)(b.right + w.right), (double)(b.bottom + w.bottom));
    EXPECT_NE(t.find(expected), std::string::npos) << t;
    EXPECT_NE(t.find("{\"name\":\".over\",\"text\":\"Play\",\"id\":0,\"hidden\":true,\"visible\":false,"),
              std::string::npos);
}
