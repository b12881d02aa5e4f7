#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_TRUE(writeSettingDword("flags", 5));
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

TEST(SettingsWriter, KeepsEveryOtherLineExactly)
{
    ConfigHome home;
    writeSettingDword("x", 1);
    std::string path = settingsFilePath();
    std::string before =
        "# written by hand\r\n"
        "flags = dword:1\r\n"
        "\n"
        "  odd line without value\n"
        "flags = dword:99\n"
        "name = string:Quillon Games";  // no line feed at the end
    writeFileBytes(path, before.data(), before.size());
    writeSettingDword("flags", 6);
    writeSettingDword("volume", 7);
    std::string want =
        "# written by hand\r\n"
        "flags = dword:6\r\n"
        "\n"
        "  odd line without value\n"
        "flags = dword:99\n"
        "name = string:Quillon Games\n"
        "volume = dword:7\n";
    EXPECT_EQ(readFileBytes(path), want);
    uint32_t v = 0;
    EXPECT_TRUE(readSettingDword("flags", &v));
    EXPECT_EQ(v, 6u);
}

TEST(SettingsWriter, AnUnreadableFileIsLeftAloneAndLogged)
{
    ConfigHome home;
    writeSettingDword("flags", 3);
    std::string path = settingsFilePath();
    // A folder where the file should be: it exists but can't be read as one.
    unlink(path.c_str());
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeSettingDword("flags", 5));
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("can't read settings file '" + path + "', not written"), std::string::npos) << log;
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    rmdir(path.c_str());
}

TEST(SettingsWriter, KeepsThePermissions)
{
    ConfigHome home;
    writeSettingDword("flags", 3);
    std::string path = settingsFilePath();
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    writeSettingDword("flags", 4);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    writeSettingDword("flags", 5);
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(SettingsWriter, WritesThroughALinkToItsTarget)
{
    ConfigHome home;
    writeSettingDword("x", 1);
    std::string path = settingsFilePath();
    unlink(path.c_str());
    // A relative link into a folder of dotfiles, as synced setups have.
    std::string dots = home.dir.path + "/dots";
    ASSERT_EQ(mkdir(dots.c_str(), 0755), 0);
    std::string target = dots + "/skyward-settings";
    writeFileBytes(target, "# mine\nflags = dword:1\n", 23);
    ASSERT_EQ(symlink("../../dots/skyward-settings", path.c_str()), 0);
    writeSettingDword("flags", 12);
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFileBytes(target), "# mine\nflags = dword:12\n");
    uint32_t v = 0;
    EXPECT_TRUE(readSettingDword("flags", &v));
    EXPECT_EQ(v, 12u);
    // The temporary file was made beside the target and renamed over it.
    EXPECT_EQ(readFileBytes(dots + "/skyward-settings.tmp." + std::to_string(getpid())), "");
    // A dangling link gets its target created.
    unlink(target.c_str());
    writeSettingDword("flags", 2);
    EXPECT_EQ(readFileBytes(target), "flags = dword:2\n");
    // A link loop is reported and nothing is written.
    unlink(path.c_str());
    std::string loop = home.dir.path + "/loop";
    ASSERT_EQ(symlink(path.c_str(), loop.c_str()), 0);
    ASSERT_EQ(symlink(loop.c_str(), path.c_str()), 0);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeSettingDword("flags", 3));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("can't follow the settings link"), std::string::npos);
    // A link into a folder that does not exist: the file can't be made there.
    unlink(path.c_str());
    ASSERT_EQ(symlink("../../no-such-folder/settings", path.c_str()), 0);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeSettingDword("flags", 4));
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("can't write settings file '" + home.dir.path +
                       "/Quillon Games/SKYWARD/../../no-such-folder/settings'"),
              std::string::npos)
        << log;
}

TEST(Settings, UnwritableLocationSkipsSilently)
{
    setenv("XDG_CONFIG_HOME", "/proc/no-such-place", 1);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeSettingDword("flags", 1));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
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
