// Where an installed game writes: the XDG folder rules and the choice
// between the program folder and the user's folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "shell/paths.h"
#include "shell/userFolders.h"
#include "tests/test_util.h"

namespace {

std::map<std::string, std::string> fakeEnv;

const char* lookup(const char* name)
{
    auto it = fakeEnv.find(name);
    return it == fakeEnv.end() ? nullptr : it->second.c_str();
}

void writeText(const std::string& path, const std::string& text) { writeFileBytes(path, text.data(), text.size()); }

bool isFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class UserFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedProgramDirectory = programDirectory;
        fakeEnv.clear();
        fakeEnv["HOME"] = tmp.path + "/home";
    }
    void TearDown() override
    {
        // Later tests in this program see the default folders again.
        strcpy(programDirectory, savedProgramDirectory.c_str());
        chooseWriteFolders(lookup);
    }
    std::string savedProgramDirectory;
    std::string home() { return fakeEnv["HOME"]; }
    TempDir tmp;
};

TEST_F(UserFolders, BaseFolderTakesOnlyAbsoluteValues)
{
    fakeEnv["XDG_CACHE_HOME"] = "/var/cache/me/";
    EXPECT_EQ(xdgBaseFolder(lookup, "XDG_CACHE_HOME", ".cache"), "/var/cache/me");
    // Relative and empty values are invalid and fall back to the home folder.
    fakeEnv["XDG_CACHE_HOME"] = "cache";
    EXPECT_EQ(xdgBaseFolder(lookup, "XDG_CACHE_HOME", ".cache"), home() + "/.cache");
    fakeEnv["XDG_CACHE_HOME"] = "";
    EXPECT_EQ(xdgBaseFolder(lookup, "XDG_CACHE_HOME", ".cache"), home() + "/.cache");
    fakeEnv.erase("XDG_CACHE_HOME");
    EXPECT_EQ(xdgBaseFolder(lookup, "XDG_CACHE_HOME", ".cache"), home() + "/.cache");
}

TEST_F(UserFolders, RelativeHomeFallsBackToTheAccount)
{
    fakeEnv["HOME"] = "relative/home";
    std::string h = homeFolder(lookup);
    // The account's folder, whatever it is here: never the relative value.
    EXPECT_TRUE(h.empty() || h[0] == '/') << h;
    EXPECT_EQ(h.find("relative"), std::string::npos);
    fakeEnv["HOME"] = "/home/someone//";
    EXPECT_EQ(homeFolder(lookup), "/home/someone");
}

TEST_F(UserFolders, UserDirsEntries)
{
    const std::string text =
        "# written by the desktop\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_PICTURES_DIR_OLD=\"/old\"\n"
        "  XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
        "XDG_MUSIC_DIR=\"/srv/music/\"\n"
        "XDG_VIDEOS_DIR=\"Videos\"\n"
        "XDG_TEMPLATES_DIR=$HOME/Templates\n"
        "XDG_PUBLICSHARE_DIR=\"$HOMEWORK/x\"\n"
        "XDG_DOCUMENTS_DIR=\"$HOME\n";
    EXPECT_EQ(userDirsEntry(text, "XDG_PICTURES_DIR", "/home/u"), "/home/u/Bilder");
    EXPECT_EQ(userDirsEntry(text, "XDG_DESKTOP_DIR", "/home/u"), "/home/u/Desktop");
    EXPECT_EQ(userDirsEntry(text, "XDG_MUSIC_DIR", "/home/u"), "/srv/music");
    // Relative, unquoted, unterminated, a look-alike of $HOME, or missing.
    EXPECT_EQ(userDirsEntry(text, "XDG_VIDEOS_DIR", "/home/u"), "");
    EXPECT_EQ(userDirsEntry(text, "XDG_TEMPLATES_DIR", "/home/u"), "");
    EXPECT_EQ(userDirsEntry(text, "XDG_DOCUMENTS_DIR", "/home/u"), "");
    EXPECT_EQ(userDirsEntry(text, "XDG_PUBLICSHARE_DIR", "/home/u"), "");
    EXPECT_EQ(userDirsEntry(text, "XDG_DOWNLOAD_DIR", "/home/u"), "");
    // $HOME without a home folder can't be resolved.
    EXPECT_EQ(userDirsEntry(text, "XDG_PICTURES_DIR", ""), "");
}

TEST_F(UserFolders, PicturesFolderOrder)
{
    std::string config = tmp.path + "/config";
    fakeEnv["XDG_CONFIG_HOME"] = config;
    // No variable and no user-dirs file: ~/Pictures.
    EXPECT_EQ(picturesFolder(lookup), home() + "/Pictures");

    ASSERT_TRUE(makeFolders(config));
    writeText(config + "/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Fotos\"\n");
    EXPECT_EQ(picturesFolder(lookup), home() + "/Fotos");
    // A relative variable is ignored; an absolute one wins over the file.
    fakeEnv["XDG_PICTURES_DIR"] = "Pictures";
    EXPECT_EQ(picturesFolder(lookup), home() + "/Fotos");
    fakeEnv["XDG_PICTURES_DIR"] = "/data/pics";
    EXPECT_EQ(picturesFolder(lookup), "/data/pics");

    // An unusable file entry falls back to ~/Pictures.
    fakeEnv.erase("XDG_PICTURES_DIR");
    writeText(config + "/user-dirs.dirs", "XDG_PICTURES_DIR=\"Fotos\"\n");
    EXPECT_EQ(picturesFolder(lookup), home() + "/Pictures");
}

TEST_F(UserFolders, MakeFoldersMakesParentsAndRefusesFiles)
{
    std::string deep = tmp.path + "/a/b/c";
    EXPECT_TRUE(makeFolders(deep));
    EXPECT_TRUE(isFolder(deep));
    EXPECT_TRUE(makeFolders(deep));  // already there
    writeText(tmp.path + "/file", "x");
    EXPECT_FALSE(makeFolders(tmp.path + "/file"));
    EXPECT_FALSE(makeFolders(tmp.path + "/file/sub"));
}

TEST_F(UserFolders, WritableProgramFolderKeepsEverythingBesideTheGame)
{
    std::string program = tmp.path + "/program/";
    ASSERT_TRUE(makeFolders(program));
    setProgramDirectory(program.c_str());
    chooseWriteFolders(lookup);
    EXPECT_EQ(writeFolder(WRITE_SCREENSHOTS), "shots/");
    EXPECT_EQ(writeFolder(WRITE_SHADER_CACHE), "cache/");
    // The folders beside the game are never made.
    EXPECT_TRUE(prepareWriteFolder(WRITE_SCREENSHOTS));
    EXPECT_FALSE(isFolder(program + "shots"));
    EXPECT_FALSE(isFolder(home()));
}

TEST_F(UserFolders, UnwritableProgramFolderUsesTheUserFolders)
{
    // A folder that does not exist can't be written, whoever runs the test.
    std::string program = tmp.path + "/gone/";
    setProgramDirectory(program.c_str());
    fakeEnv["XDG_PICTURES_DIR"] = tmp.path + "/pics";
    fakeEnv["XDG_CACHE_HOME"] = "relative-cache";
    LogCapture log;
    chooseWriteFolders(lookup);
    std::string said = log.stop();
    EXPECT_NE(said.find("program folder '" + program + "' is not writable\n"), std::string::npos) << said;
    EXPECT_NE(said.find("screenshots go to '" + tmp.path + "/pics/skyward/'\n"), std::string::npos) << said;
    EXPECT_NE(said.find("shader cache in '" + home() + "/.cache/skyward/'\n"), std::string::npos) << said;
    EXPECT_EQ(writeFolder(WRITE_SCREENSHOTS), tmp.path + "/pics/skyward/");
    EXPECT_EQ(writeFolder(WRITE_SHADER_CACHE), home() + "/.cache/skyward/");
    // Made on first use, parents included.
    EXPECT_FALSE(isFolder(tmp.path + "/pics"));
    EXPECT_TRUE(prepareWriteFolder(WRITE_SCREENSHOTS));
    EXPECT_TRUE(isFolder(tmp.path + "/pics/skyward"));
    EXPECT_TRUE(prepareWriteFolder(WRITE_SHADER_CACHE));
    EXPECT_TRUE(isFolder(home() + "/.cache/skyward"));

    // A user folder that can't be made is reported as such.
    writeText(tmp.path + "/blocked", "x");
    fakeEnv["XDG_PICTURES_DIR"] = tmp.path + "/blocked";
    chooseWriteFolders(lookup);
    EXPECT_FALSE(prepareWriteFolder(WRITE_SCREENSHOTS));
}

}  // namespace
