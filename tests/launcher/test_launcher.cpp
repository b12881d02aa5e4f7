// The launcher's settings, its screen and its commands.
#include "tests/launcher/launcherPanel.h"

namespace {

TEST_F(LauncherPanel, WithoutStoredSettingsTheOptionsShowTheDefaults)
{
    open();
    EXPECT_EQ(text(0), "In window");
    EXPECT_EQ(text(1), "Anti-aliasing: off");
    EXPECT_EQ(text(2), "VSync: on");
    EXPECT_EQ(text(3), "Normal voxels");
    // All three looks carry the text.
    EXPECT_STREQ(findByName(panel.options[2], ".pressed")->text, "VSync: on");
}

TEST_F(LauncherPanel, StoredFlagsSetAllFourOptions)
{
    writeSettingDword("flags", 11);  // fullscreen, anti-aliasing, fast voxels; no vsync
    open();
    EXPECT_EQ(text(0), "Fullscreen");
    EXPECT_EQ(text(1), "Anti-aliasing: on");
    EXPECT_EQ(text(2), "VSync: off");
    EXPECT_EQ(text(3), "Fast voxels");
    EXPECT_EQ(settingsToFlags(settings), 11u);
}

TEST_F(LauncherPanel, TogglingTwiceAndPlayingStoresTheSameFlagsAndStarts)
{
    open();
    command(CMD_TOGGLE_FULLSCREEN);
    EXPECT_EQ(text(0), "Fullscreen");
    command(CMD_TOGGLE_FULLSCREEN);
    EXPECT_EQ(text(0), "In window");
    uint32_t flags = 0;
    EXPECT_FALSE(stored(&flags));  // toggling stores nothing
    command(CMD_PLAY);
    ASSERT_TRUE(stored(&flags));
    EXPECT_EQ(flags, 4u);
    EXPECT_EQ(actions.starts, 1);
    EXPECT_EQ(actions.closes, 1);
}

TEST_F(LauncherPanel, QuitStoresTheToggledValue)
{
    open();
    command(CMD_TOGGLE_VOXELS);
    command(CMD_TOGGLE_VSYNC);
    command(CMD_TOGGLE_ANTIALIASING);
    command(CMD_QUIT);
    uint32_t flags = 0;
    ASSERT_TRUE(stored(&flags));
    EXPECT_EQ(flags, 2u | 8u);
    EXPECT_EQ(actions.starts, 0);
    EXPECT_EQ(actions.closes, 1);
}

TEST_F(LauncherPanel, AGameThatCannotStartLeavesTheLauncherOpenWithTheReason)
{
    open();
    EXPECT_FALSE(isVisible(panel.status));
    actions.startWorks = false;
    command(CMD_PLAY);
    EXPECT_EQ(actions.closes, 0);
    EXPECT_TRUE(isVisible(panel.status));
    EXPECT_STREQ(panel.status->text, "Can't start the game: Permission denied");
    // The status line sits between the options and the bottom row of buttons.
    screen->updateLayout();
    EXPECT_GE(panel.status->boxRect.top, panel.options[3]->boxRect.bottom);
    EXPECT_LE(panel.status->boxRect.bottom, panel.root->boxRect.bottom - 7 * 16);
    actions.startWorks = true;
    command(CMD_PLAY);
    EXPECT_EQ(actions.closes, 1);
}

TEST_F(LauncherPanel, SettingsThatCannotBeSavedKeepTheLauncherOpenAndSaySo)
{
    open();
    // A file where the settings folder should be: nothing can be stored.
    writeFileBytes(config.file("blocked"), "x", 1);
    setenv("XDG_CONFIG_HOME", config.file("blocked").c_str(), 1);
    command(CMD_TOGGLE_FULLSCREEN);
    command(CMD_PLAY);
    EXPECT_EQ(actions.starts, 0);  // the game would start with the old settings
    EXPECT_EQ(actions.closes, 0);
    EXPECT_TRUE(isVisible(panel.status));
    EXPECT_STREQ(panel.status->text, "Can't save the settings");
    showStatus(panel, "");
    command(CMD_QUIT);
    EXPECT_EQ(actions.closes, 0);  // the choice would be lost
    EXPECT_STREQ(panel.status->text, "Can't save the settings");
    // Once the folder can be written, Quit stores the choice and closes.
    setenv("XDG_CONFIG_HOME", config.path.c_str(), 1);
    command(CMD_QUIT);
    EXPECT_EQ(actions.closes, 1);
    uint32_t flags = 0;
    ASSERT_TRUE(stored(&flags));
    EXPECT_EQ(flags, 1u | 4u);
}

TEST_F(LauncherPanel, VisitSiteKeepsTheLauncherOpen)
{
    open();
    command(CMD_VISIT_SITE);
    EXPECT_EQ(actions.pages, 1);
    EXPECT_EQ(actions.closes, 0);
    EXPECT_FALSE(isVisible(panel.status));
    actions.browserWorks = false;
    command(CMD_VISIT_SITE);
    EXPECT_STREQ(panel.status->text, "Can't open the web page: No such file or directory");
    uint32_t flags;
    EXPECT_FALSE(stored(&flags));
}

TEST_F(LauncherPanel, PanelAtSixFortyByFourEightyFillsTheWindowAtScaleTwo)
{
    open();
    EXPECT_EQ(screen->scale, 2);
    const GuiRect& r = panel.root->boxRect;
    EXPECT_FLOAT_EQ(r.left, 0);
    EXPECT_FLOAT_EQ(r.right, 640);
    EXPECT_FLOAT_EQ(r.bottom, 480);
    // Option buttons are 25 units wide and centred; their looks have borders of one font pixel.
    GuiElem* look = findByName(panel.options[0], ".normal");
    EXPECT_FLOAT_EQ(look->boxRect.right - look->boxRect.left, 25 * 16);
    EXPECT_FLOAT_EQ(look->borderWidths.left, 2);
    EXPECT_FLOAT_EQ(look->boxRect.top, 6.5f * 16 + 2);
    EXPECT_FLOAT_EQ((look->boxRect.left + look->boxRect.right) / 2, 320);
}

}  // namespace
