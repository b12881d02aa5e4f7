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

TEST_F(LauncherPanel, PanelFillsItsWindowAtScaleTwoWithNothingOverlapping)
{
    open();
    EXPECT_EQ(screen->scale, 2);
    const GuiRect& r = panel.root->boxRect;
    EXPECT_FLOAT_EQ(r.left, 0);
    EXPECT_FLOAT_EQ(r.right, 864);
    EXPECT_FLOAT_EQ(r.bottom, 560);
    // Option buttons are 23 units wide down the left; their looks have borders of one font pixel.
    GuiElem* look = findByName(panel.options[0], ".normal");
    EXPECT_FLOAT_EQ(look->boxRect.right - look->boxRect.left, 23 * 16);
    EXPECT_FLOAT_EQ(look->borderWidths.left, 2);
    EXPECT_FLOAT_EQ(look->boxRect.top, 6.5f * 16 + 2);
    EXPECT_FLOAT_EQ(look->boxRect.left, 2 * 16 + 2);
    // No two elements of the panel cover the same pixels (a button by its
    // normal look, borders included), and each one's text fits inside it (a
    // volume of 100% beside its buttons included).
    showStatus(panel, "Can't start the game: No such file or directory");
    screen->updateLayout();
    std::vector<GuiElem*> shown;
    std::vector<GuiRect> drawn;
    for (GuiElem* e : panel.root->children) {
        if (!isVisible(e)) continue;
        GuiElem* look = e->children.num ? findByName(e, ".normal") : e;
        shown.push_back(look);
        GuiRect r = look->boxRect;
        r.left -= look->borderWidths.left, r.top -= look->borderWidths.top;
        r.right += look->borderWidths.right, r.bottom += look->borderWidths.bottom;
        drawn.push_back(r);
    }
    auto overlap = [](const GuiRect& a, const GuiRect& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    for (size_t i = 0; i < shown.size(); i++) {
        for (size_t j = i + 1; j < shown.size(); j++)
            EXPECT_FALSE(overlap(drawn[i], drawn[j])) << "elements " << i << " and " << j << " overlap";
        float w, h;
        renderer.measureText(shown[i]->text, -1, &w, &h, shown[i]->textScale * screen->scale);
        const GuiRect& c = shown[i]->contentRect;
        EXPECT_LE(w, c.right - c.left + 0.5f) << "the text of element " << i << " is wider than it";
    }
}

TEST(LauncherSeed, TakesTheGameSeedRulesAndEmptyMeansRandom)
{
    bool given = true;
    uint64_t seed = 7;
    EXPECT_TRUE(readSeedText("", &given, &seed));
    EXPECT_FALSE(given);
    struct Good {
        const char* text;
        uint64_t seed;
    };
    for (Good g : {Good{"0", 0}, Good{"007", 7}, Good{"18446744073709551615", UINT64_MAX}, Good{"0x1F", 31},
                   Good{"0Xff", 255}, Good{"0xFFFFFFFFFFFFFFFF", UINT64_MAX}, Good{"0x0000000000000001", 1}}) {
        given = false;
        EXPECT_TRUE(readSeedText(g.text, &given, &seed)) << g.text;
        EXPECT_TRUE(given) << g.text;
        EXPECT_EQ(seed, g.seed) << g.text;
    }
    // Past 2^64 - 1, seventeen hex digits, no digits after 0x, letters in a
    // decimal, a lone x, signs and spaces.
    for (const char* bad : {"18446744073709551616", "99999999999999999999", "0x10000000000000000", "0x", "12a", "x12",
                            "0xg", "-1", "+1", " 1", "1 ", "0x-1", "1x2"}) {
        seed = 7;
        EXPECT_FALSE(readSeedText(bad, &given, &seed)) << bad;
    }
}

TEST(LauncherVolume, StepsGoToTheNextTenWithinZeroToAHundred)
{
    EXPECT_EQ(stepVolume(100, 1), 100);
    EXPECT_EQ(stepVolume(100, -1), 90);
    EXPECT_EQ(stepVolume(10, -1), 0);
    EXPECT_EQ(stepVolume(0, -1), 0);
    EXPECT_EQ(stepVolume(0, 1), 10);
    // A stored value off the steps joins them.
    EXPECT_EQ(stepVolume(55, 1), 60);
    EXPECT_EQ(stepVolume(55, -1), 50);
    EXPECT_EQ(stepVolume(95, 1), 100);
    EXPECT_EQ(stepVolume(1, -1), 0);
}

TEST_F(LauncherPanel, StoredVolumesShowAndABrokenOneReadsAsFull)
{
    writeSettingDword("flags", 4);  // makes the folder
    std::string text = "volume_master = string:50\nvolume_music = dword:0\nvolume_effects = dword:101\n";
    writeFileBytes(settingsFilePath(), text.data(), text.size());
    open();
    EXPECT_EQ(settings.volumes[VOLUME_MASTER], 100);  // wrong type
    EXPECT_EQ(settings.volumes[VOLUME_MUSIC], 0);
    EXPECT_EQ(settings.volumes[VOLUME_EFFECTS], 100);  // over 100
    EXPECT_STREQ(panel.volumes[VOLUME_MASTER]->text, "Master: 100%");
    EXPECT_STREQ(panel.volumes[VOLUME_MUSIC]->text, "Music: 0%");
}

TEST_F(LauncherPanel, VolumeButtonsChangeTheShownValueAndQuitStoresAllFour)
{
    open();
    command(CMD_VOLUME_DOWN + 2 * VOLUME_MASTER);
    command(CMD_VOLUME_DOWN + 2 * VOLUME_MASTER);
    command(CMD_VOLUME_DOWN + 2 * VOLUME_MUSIC + 1);  // already full
    for (int i = 0; i < 12; i++) command(CMD_VOLUME_DOWN + 2 * VOLUME_EFFECTS);
    command(CMD_VOLUME_DOWN + 2 * VOLUME_EFFECTS + 1);
    EXPECT_STREQ(panel.volumes[VOLUME_MASTER]->text, "Master: 80%");
    EXPECT_STREQ(panel.volumes[VOLUME_MUSIC]->text, "Music: 100%");
    EXPECT_STREQ(panel.volumes[VOLUME_EFFECTS]->text, "Effects: 10%");
    uint32_t v = 0;
    EXPECT_FALSE(readSettingDword("volume_master", &v));  // nothing stored before Play or Quit
    command(CMD_TOGGLE_FULLSCREEN);
    command(CMD_QUIT);
    ASSERT_TRUE(readSettingDword("volume_master", &v));
    EXPECT_EQ(v, 80u);
    ASSERT_TRUE(readSettingDword("volume_music", &v));
    EXPECT_EQ(v, 100u);
    ASSERT_TRUE(readSettingDword("volume_effects", &v));
    EXPECT_EQ(v, 10u);
    ASSERT_TRUE(stored(&v));
    EXPECT_EQ(v, 1u | 4u);
}

TEST_F(LauncherPanel, PlayPassesATypedSeedAndRefusesABadOne)
{
    open();
    command(CMD_PLAY);
    EXPECT_TRUE(actions.lastArgs.empty());  // no seed: a random run
    type("0x1f");
    EXPECT_EQ(seedText(panel), "0x1f");
    command(CMD_PLAY);
    EXPECT_EQ(actions.lastArgs, (std::vector<std::string>{"--seed", "31"}));
    // Backspace takes the digits off; "0x" alone is no seed.
    type("\b\b");
    EXPECT_EQ(seedText(panel), "0x");
    actions.closes = 0;
    command(CMD_PLAY);
    EXPECT_EQ(actions.starts, 2);
    EXPECT_EQ(actions.closes, 0);
    EXPECT_TRUE(isVisible(panel.status));
    EXPECT_STREQ(panel.status->text, "Bad seed: 0 to 18446744073709551615, or hex after 0x");
    // Letters other than hex digits and x are not typed at all.
    type("\b\b18446744073709551615zq");
    EXPECT_EQ(seedText(panel), "18446744073709551615");
    command(CMD_PLAY);
    EXPECT_EQ(actions.lastArgs, (std::vector<std::string>{"--seed", "18446744073709551615"}));
}

}  // namespace
