#include <gtest/gtest.h>

#include "shell/launchOptions.h"
#include "shell/settings.h"
#include "tests/test_util.h"

#include <cstdlib>
#include <vector>

namespace {
LaunchOptions parse(bool has, uint32_t flags, std::vector<const char*> args)
{
    args.insert(args.begin(), "game");
    return parseLaunchOptions(has, flags, (int)args.size(), args.data());
}
}  // namespace

TEST(LaunchOptions, DefaultsWithoutStoredValueOrArguments)
{
    LaunchOptions o = parse(false, 0xFFFFFFFF, {});
    EXPECT_FALSE(o.wantFullscreen);
    EXPECT_FALSE(o.antiAliasing);
    EXPECT_TRUE(o.vsync);
    EXPECT_FALSE(o.fastVoxels);
    EXPECT_EQ(o.requestedWidth, 0);
    EXPECT_EQ(o.requestedHeight, 0);
    EXPECT_STREQ(o.vertexProfile, "vs_2_0");
    EXPECT_STREQ(o.pixelProfile, "ps_2_0");
}

TEST(LaunchOptions, StoredFlagsThenArgumentsLaterWins)
{
    LaunchOptions o = parse(true, 5, {});
    EXPECT_TRUE(o.wantFullscreen);
    EXPECT_TRUE(o.vsync);
    EXPECT_FALSE(o.antiAliasing);
    o = parse(true, 5, {"-novs"});
    EXPECT_TRUE(o.wantFullscreen);
    EXPECT_FALSE(o.vsync);

    o = parse(true, 8 | 2, {});
    EXPECT_TRUE(o.fastVoxels);
    EXPECT_TRUE(o.antiAliasing);
    EXPECT_FALSE(o.vsync);  // a stored value without bit 2 turns vsync off

    o = parse(false, 0, {"-360", "-720"});
    EXPECT_EQ(o.requestedWidth, 1280);
    EXPECT_EQ(o.requestedHeight, 720);
    o = parse(false, 0, {"-720", "-360"});
    EXPECT_EQ(o.requestedWidth, 640);
    o = parse(false, 0, {"-fullscr", "-win"});
    EXPECT_FALSE(o.wantFullscreen);
    o = parse(false, 0, {"-aa", "-vs", "-noaa"});
    EXPECT_FALSE(o.antiAliasing);
}

TEST(LaunchOptions, CaseAndUnknownArgumentsAreIgnored)
{
    LaunchOptions o = parse(false, 0, {"-FULLSCR", "-AA", "-Novs", "--headless", "-7200", "-720x"});
    EXPECT_FALSE(o.wantFullscreen);
    EXPECT_FALSE(o.antiAliasing);
    EXPECT_TRUE(o.vsync);
    EXPECT_EQ(o.requestedWidth, 0);
    // No argument selects fast voxels; only the stored value does.
    o = parse(false, 0, {"-fast", "-fastvoxels"});
    EXPECT_FALSE(o.fastVoxels);
}

TEST(LaunchOptions, ValuesOfDoubleDashSwitchesAreNotDisplaySwitches)
{
    // "--shot -win" names a file called "-win"; only the later "-720" counts.
    LaunchOptions o = parse(true, FLAG_FULLSCREEN, {"--shot", "-win", "--dump-state", "-aa", "-720"});
    EXPECT_TRUE(o.wantFullscreen);
    EXPECT_FALSE(o.antiAliasing);
    EXPECT_EQ(o.requestedWidth, 1280);
    // A switch without a value takes nothing with it.
    o = parse(true, FLAG_FULLSCREEN, {"--headless", "-win"});
    EXPECT_FALSE(o.wantFullscreen);
}

TEST(LaunchOptions, ReadsTheStoredFlagsFromTheSettingsStore)
{
    TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1);
    writeSettingDword("flags", 5);
    const char* argv[] = {"game", "-novs"};
    LaunchOptions o = readLaunchOptions(2, argv);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(o.wantFullscreen);
    EXPECT_FALSE(o.vsync);
    EXPECT_FALSE(o.antiAliasing);
}
