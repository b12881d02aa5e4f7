// The title and end-of-demo screens, and the "gui" section of the state dump.
#include <gtest/gtest.h>

#include "game/hero.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/worldDump.h"
#include "gui/guiBuild.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "shell/stateDump.h"
#include "shell/window.h"
#include "sound/soundEvents.h"
#include "tests/screens/menuFixture.h"

namespace {

using TitleScreen = MenuTest;
using EndScreen = MenuTest;
using MenuState = MenuTest;

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

TEST_F(MenuState, TheStateDumpListsTheCurrentScreensElements)
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
    snprintf(expected, sizeof(expected),
             "{\"name\":\"play\",\"text\":\"\",\"id\":1,\"hidden\":false,\"visible\":true,\"focus\":false,\"rect\":[%."
             "9g,%.9g,%.9g,%.9g]}",
             (double)(b.left - w.left), (double)(b.top - w.top), (double)(b.right + w.right),
             (double)(b.bottom + w.bottom));
    EXPECT_NE(t.find(expected), std::string::npos) << t;
    EXPECT_NE(t.find("{\"name\":\".over\",\"text\":\"Play\",\"id\":0,\"hidden\":true,\"visible\":false,"),
              std::string::npos);
}

namespace {

// A menu with a way back, as a pause screen has: B sends it.
class BackMenu final : public GuiScreenMode {
public:
    std::vector<int> commands;
    const char* name() const override { return "BackMenu"; }

protected:
    GuiElem* buildTree(int fontCell) override
    {
        GuiElem* root = newElem(nullptr, "root");
        GuiElem* go = newButton(root, 7, "Go", 10, 4, 1, fontCell);
        go->name.assign("go");
        return root;
    }
    int enterSound() const override { return SE_TITLE_SCREEN; }
    void command(int id) override { commands.push_back(id); }
    int backCommand() const override { return 42; }
};

using MenuControllerTest = MenuTest;

// The controller's press and release, each a step of the current mode.
void padTap(int button)
{
    padButton(button, true);
    currentGameMode->update(0.05f);
    clearInput();
    padButton(button, false);
    currentGameMode->update(0.05f);
    clearInput();
}

}  // namespace

TEST_F(MenuControllerTest, BSendsTheScreensBackCommandAndAChoosesTheFocusedButton)
{
    resetPadState();
    BackMenu menu;
    switchGameMode(&menu);
    // Entered without the controller in use: no focus until it is used.
    EXPECT_EQ(menu.scr->focus, nullptr);
    padTap(PAD_B);
    EXPECT_EQ(menu.commands, std::vector<int>({42}));
    padTap(PAD_A);  // shows the focus
    padTap(PAD_A);  // chooses
    EXPECT_EQ(menu.commands, std::vector<int>({42, 7}));
    switchGameMode(nullptr);
    menu.update(0.05f);  // the screen goes at the end of the update that left it
    EXPECT_EQ(menu.scr, nullptr);
    resetPadState();
}

TEST_F(MenuControllerTest, AMenuEnteredWhileTheControllerIsInUseShowsItsFocus)
{
    resetPadState();
    padButton(PAD_A, true);
    padButton(PAD_A, false);
    clearInput();
    switchGameMode(titleGameMode);
    ASSERT_NE(titleScreen.scr->focus, nullptr);
    EXPECT_STREQ(titleScreen.scr->focus->name.c_str(), "play");
    // The mouse moving since: the next menu waits for the controller again.
    switchGameMode(playGameMode);
    titleScreen.update(0.05f);  // frees the screen left
    pointerMove(33, 44);
    clearInput();
    switchGameMode(titleGameMode);
    EXPECT_EQ(titleScreen.scr->focus, nullptr);
    resetPadState();
}
