// The pause screen and the screens behind it, over a world that must not move
// while they are up; key rebinding through the Controls screen's real input
// path, the focus-loss pause and the stored volumes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/controlsMode.h"
#include "game/enemy.h"
#include "game/hero.h"
#include "game/levelSeeds.h"
#include "game/pauseMode.h"
#include "game/playMode.h"
#include "shell/controlSettings.h"
#include "shell/settings.h"
#include "shell/window.h"
#include "shell/gamepad.h"
#include "sound/volumeSettings.h"
#include "tests/screens/menuFixture.h"
#include "tests/test_util.h"

namespace {

class PauseTest : public MenuTest {
protected:
    TempDir config;

    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", config.path.c_str(), 1);
        MenuTest::SetUp();
        setUpPauseModes();
        loadControlSettings();
        loadVolumeSettings();
        buildFloor();
    }
    void TearDown() override
    {
        switchGameMode(nullptr);
        freePauseScreens();
        resetActionBindings();
        MenuTest::TearDown();
        unsetenv("XDG_CONFIG_HOME");
    }

    // One step of the current mode with a key tapped (down and up) in it.
    void tap(int vk)
    {
        windowKeyDown(vk, false);
        windowKeyUp(vk);
        step();
    }
    // One step with a controller button tapped in it.
    void tapPad(int button)
    {
        padButton(button, true);
        padButton(button, false);
        step();
    }
    void step()
    {
        currentGameMode->update(0.05f);
        endStep();
    }
    void steps(int n)
    {
        for (int i = 0; i < n; i++) step();
    }
    // The text a button shows.
    std::string buttonText(const char* name)
    {
        GuiElem* button = find(name);
        GuiElem* look = button ? findByName(button, ".normal") : nullptr;
        return look ? look->text.str : "?";
    }
    void openControls()
    {
        tap(VK_ESCAPE);
        ASSERT_EQ(currentGameMode, &pauseScreen);
        click(find("controls"));
        ASSERT_EQ(currentGameMode, &controlsScreen);
    }
};

using PauseScreen = PauseTest;
using ControlsScreen = PauseTest;
using SoundScreen = PauseTest;

}  // namespace

TEST_F(PauseScreen, TheWorldDoesNotStepWhilePausedAndResumesWhereItWas)
{
    spawnLevelObject(OBJ_ENEMY, 140, FLOOR_REST_Y);
    holdKey('D', true);
    steps(5);
    float walked = heroPos().x;
    EXPECT_GT(walked, 100.0f);

    // The step in which Escape goes down moves nothing either.
    Vec4 enemy = enemies[0]->pos;
    uint64_t random = random64.state;
    tap(VK_ESCAPE);
    EXPECT_EQ(currentGameMode, &pauseScreen);
    EXPECT_STREQ(currentGameMode->name(), "PauseGameMode");
    steps(50);
    EXPECT_EQ(heroPos().x, walked);
    EXPECT_EQ(enemies[0]->pos.x, enemy.x);
    EXPECT_EQ(enemies[0]->pos.y, enemy.y);
    EXPECT_EQ(random64.state, random);
    EXPECT_TRUE(gamePaused());

    // Escape again: play goes on with the key still held.
    tap(VK_ESCAPE);
    EXPECT_EQ(currentGameMode, playGameMode);
    EXPECT_FALSE(gamePaused());
    step();
    EXPECT_GT(heroPos().x, walked);
    EXPECT_EQ(pauseScreen.scr, nullptr);
}

TEST_F(PauseScreen, ButtonsLeadToTheOtherScreensAndBack)
{
    runSeed.seed = UINT64_MAX;
    tap(VK_ESCAPE);
    EXPECT_NE(visibleTexts(find("root")).find("level:Level 1|seed:Seed 18446744073709551615|"), std::string::npos);
    click(find("sound"));
    EXPECT_EQ(currentGameMode, &soundScreen);
    tap(VK_ESCAPE);  // one screen back, not into play
    EXPECT_EQ(currentGameMode, &pauseScreen);
    click(find("controls"));
    click(find("back"));
    EXPECT_EQ(currentGameMode, &pauseScreen);
    click(find("resume"));
    EXPECT_EQ(currentGameMode, playGameMode);

    tap(VK_ESCAPE);
    click(find("quit_to_title"));
    EXPECT_EQ(currentGameMode, titleGameMode);
}

TEST_F(PauseScreen, TheControllersStartPausesAndBAndStartGoBack)
{
    tapPad(PAD_START);
    ASSERT_EQ(currentGameMode, &pauseScreen);
    click(find("sound"));
    ASSERT_EQ(currentGameMode, &soundScreen);
    tapPad(PAD_B);
    EXPECT_EQ(currentGameMode, &pauseScreen);
    tapPad(PAD_B);
    EXPECT_EQ(currentGameMode, playGameMode);
    tapPad(PAD_START);
    ASSERT_EQ(currentGameMode, &pauseScreen);
    tapPad(PAD_START);
    EXPECT_EQ(currentGameMode, playGameMode);
}

TEST_F(PauseScreen, LosingTheFocusPausesOnlyWithTheOptionOnAndOnlyDuringPlay)
{
    windowFocusChanged(false);
    windowFocusChanged(true);  // back before the next step: still paused
    step();
    EXPECT_EQ(currentGameMode, &pauseScreen);
    step();
    EXPECT_EQ(currentGameMode, &pauseScreen);
    tap(VK_ESCAPE);

    storePauseOnFocusLoss(false);
    windowFocusChanged(false);
    step();
    EXPECT_EQ(currentGameMode, playGameMode);
    windowFocusChanged(true);

    // Lost on the title screen: the next game does not start paused.
    storePauseOnFocusLoss(true);
    switchGameMode(titleGameMode);
    windowFocusChanged(false);
    windowFocusChanged(true);
    step();
    click(find("play"));
    step();
    EXPECT_EQ(currentGameMode, playGameMode);
}

TEST_F(ControlsScreen, APressedKeyBecomesTheActionsOnlyKeyAndIsStored)
{
    openControls();
    EXPECT_EQ(buttonText("bind_jump"), "W, Up, Space");
    EXPECT_EQ(buttonText("bind_fire"), "Left mouse, Right mouse");
    click(find("bind_jump"));
    EXPECT_EQ(buttonText("bind_jump"), "Press a key...");
    tap('J');
    EXPECT_EQ(buttonText("bind_jump"), "J");
    EXPECT_EQ(controlsScreen.waitingAction, -1);
    EXPECT_EQ(actionBinding(ACTION_JUMP).keys[0], 'J');
    EXPECT_EQ(actionBinding(ACTION_JUMP).keys[1], 0);
    uint32_t stored = 0;
    ASSERT_TRUE(readSettingDword("bind_jump", &stored));
    EXPECT_EQ(stored, (uint32_t)'J');

    // Escape while waiting cancels and stays on the screen.
    click(find("bind_left"));
    tap(VK_ESCAPE);
    EXPECT_EQ(currentGameMode, &controlsScreen);
    EXPECT_EQ(buttonText("bind_left"), "A, Left");
}

TEST_F(ControlsScreen, AMouseButtonBindsAndItsReleaseClicksNothing)
{
    openControls();
    click(find("bind_pause"));
    // The press that binds happens over the Reset button: its release must not reset.
    GuiElem* reset = find("reset");
    pointerMove((reset->boxRect.left + reset->boxRect.right) / 2, (reset->boxRect.top + reset->boxRect.bottom) / 2);
    pointerButton(true);
    step();
    storeActionBinding(ACTION_JUMP, ActionBinding{{'K', 0, 0}});
    pointerButton(false);
    step();
    EXPECT_EQ(actionBinding(ACTION_PAUSE).keys[0], VK_LBUTTON);
    EXPECT_EQ(actionBinding(ACTION_JUMP).keys[0], 'K') << "the release clicked Reset";

    // Left mouse is on fire and pause now: both rows show the conflict.
    EXPECT_TRUE(isVisible(find("conflict_pause")));
    EXPECT_TRUE(isVisible(find("conflict_fire")));
    EXPECT_FALSE(isVisible(find("conflict_jump")));
    // A click goes on working as a click, not as "back".
    click(find("focus_pause"));
    EXPECT_EQ(currentGameMode, &controlsScreen);
    EXPECT_FALSE(pauseOnFocusLoss());
    EXPECT_EQ(buttonText("focus_pause"), "Pause when the window loses focus: Off");

    click(find("reset"));
    EXPECT_EQ(buttonText("bind_pause"), "Escape");
    EXPECT_EQ(buttonText("bind_jump"), "W, Up, Space");
    EXPECT_FALSE(isVisible(find("conflict_fire")));
    uint32_t stored = 0;
    ASSERT_TRUE(readSettingDword("bind_pause", &stored));
    EXPECT_EQ(stored, (uint32_t)VK_ESCAPE);
}

TEST_F(SoundScreen, VolumesMoveInTensClampAndAreStored)
{
    tap(VK_ESCAPE);
    click(find("sound"));
    clickTimes(find("minus", 1), 3);  // music
    EXPECT_EQ(volumePercent(VOLUME_MUSIC), 70);
    EXPECT_EQ(visibleTexts(find("root")).find("volume_music:70%") != std::string::npos, true);
    clickTimes(find("minus", 2), 12);  // effects, past the bottom
    EXPECT_EQ(volumePercent(VOLUME_EFFECTS), 0);
    click(find("plus", 2));
    EXPECT_EQ(volumePercent(VOLUME_EFFECTS), 10);
    clickTimes(find("plus", 0), 2);  // master, past the top
    EXPECT_EQ(volumePercent(VOLUME_MASTER), 100);

    uint32_t master = 0, music = 0, effects = 0;
    ASSERT_TRUE(readSettingDword("volume_master", &master));
    ASSERT_TRUE(readSettingDword("volume_music", &music));
    ASSERT_TRUE(readSettingDword("volume_effects", &effects));
    EXPECT_EQ(master, 100u);
    EXPECT_EQ(music, 70u);
    EXPECT_EQ(effects, 10u);

    // Read back at the next start; a value out of range is the default.
    writeSettingDword("volume_master", 101);
    storeVolumePercent(VOLUME_MUSIC, 0);
    storeVolumePercent(VOLUME_EFFECTS, 0);
    writeSettingDword("volume_effects", 40);
    loadVolumeSettings();
    EXPECT_EQ(volumePercent(VOLUME_MASTER), 100);
    EXPECT_EQ(volumePercent(VOLUME_MUSIC), 0);
    EXPECT_EQ(volumePercent(VOLUME_EFFECTS), 40);
    storeVolumePercent(VOLUME_MUSIC, 100);
    storeVolumePercent(VOLUME_EFFECTS, 100);
}
