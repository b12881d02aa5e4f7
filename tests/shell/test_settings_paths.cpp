#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>

#include "shell/paths.h"
#include "shell/settings.h"
#include "tests/test_util.h"

namespace {
struct ConfigHome {
    TempDir dir;
    ConfigHome() { setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1); }
    ~ConfigHome() { unsetenv("XDG_CONFIG_HOME"); }
};
}  // namespace

TEST(Settings, MissingValueLeavesOutputUntouched)
{
    ConfigHome home;
    uint32_t v = 77;
    EXPECT_FALSE(readSettingDword("flags", &v));
    EXPECT_EQ(v, 77u);
    EXPECT_EQ(settingsFilePath(), home.dir.path + "/Quillon Games/SKYWARD/settings");
}

TEST(Settings, WriteCreatesFolderAndReadsBack)
{
    ConfigHome home;
    writeSettingDword("flags", 5);
    uint32_t v = 0;
    EXPECT_TRUE(readSettingDword("flags", &v));
    EXPECT_EQ(v, 5u);
    writeSettingDword("other", 4000000000u);
    writeSettingDword("flags", 9);
    EXPECT_TRUE(readSettingDword("flags", &v));
    EXPECT_EQ(v, 9u);
    EXPECT_TRUE(readSettingDword("other", &v));
    EXPECT_EQ(v, 4000000000u);
    // No temporary file is left behind.
    std::string dir = home.dir.path + "/Quillon Games/SKYWARD";
    std::string text = readFileBytes(dir + "/settings");
    EXPECT_NE(text.find("flags = dword:9"), std::string::npos);
}

TEST(Settings, WrongTypeOrBrokenValueReadsAsMissing)
{
    ConfigHome home;
    writeSettingDword("x", 1);  // creates the folder
    std::string path = settingsFilePath();
    writeFileBytes(path, "flags = string:5\nbig = dword:4294967296\nneg = dword:-1\njunk\nok = dword:3\n", 73);
    uint32_t v = 42;
    EXPECT_FALSE(readSettingDword("flags", &v));
    EXPECT_FALSE(readSettingDword("big", &v));
    EXPECT_FALSE(readSettingDword("neg", &v));
    EXPECT_EQ(v, 42u);
    EXPECT_TRUE(readSettingDword("ok", &v));
    EXPECT_EQ(v, 3u);
    // Rewriting keeps the other values, including those of other types.
    writeSettingDword("ok", 4);
    EXPECT_NE(readFileBytes(path).find("flags = string:5"), std::string::npos);
}

TEST(Settings, UnwritableLocationSkipsSilently)
{
    setenv("XDG_CONFIG_HOME", "/proc/no-such-place", 1);
    writeSettingDword("flags", 1);  // must not crash or throw
    uint32_t v = 8;
    EXPECT_FALSE(readSettingDword("flags", &v));
    unsetenv("XDG_CONFIG_HOME");
}

TEST(Paths, ProgramDirectoryIsCutAfterLastSeparator)
{
    setProgramDirectory("/opt/sky/bin/game");
    EXPECT_STREQ(programDirectory, "/opt/sky/bin/");
    setProgramDirectory("C:\\games\\sky\\game.exe");
    EXPECT_STREQ(programDirectory, "C:\\games\\sky\\");
    setProgramDirectory("game");
    EXPECT_STREQ(programDirectory, "");
    setProgramDirectory(std::string(300, 'a').c_str());  // too long: empty
    EXPECT_STREQ(programDirectory, "");
}

TEST(Paths, DataPathRules)
{
    setProgramDirectory("/opt/sky/game");
    EXPECT_EQ(dataPath("sound/sound.nut"), "/opt/sky/sound/sound.nut");
    // Backslashes turn into slashes.
    EXPECT_EQ(dataPath("sound\\music\\a.ogg"), "/opt/sky/sound/music/a.ogg");
    // Absolute names are used unchanged (apart from their separators).
    EXPECT_EQ(dataPath("/etc/x.txt"), "/etc/x.txt");
    EXPECT_EQ(dataPath("\\etc\\x.txt"), "/etc/x.txt");
    // A drive-letter name gets no prefix, only its slashes turned.
    EXPECT_EQ(dataPath("c:\\data\\x.bin"), "c:/data/x.bin");
    // Made absolute: dot segments resolve.
    EXPECT_EQ(dataPath("cache/../tiles.bin"), "/opt/sky/tiles.bin");
    EXPECT_EQ(dataPath(nullptr), "/opt/sky/");
}
