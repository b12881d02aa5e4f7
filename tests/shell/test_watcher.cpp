#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "shell/watcher.h"
#include "tests/test_util.h"

TEST(Watcher, LogsAddedChangedAndRemovedFilesBelowTheRoot)
{
    TempDir dir;
    mkdir(dir.file("sub").c_str(), 0755);
    startWatcher(dir.path.c_str());
    ::testing::internal::CaptureStdout();
    writeFileBytes(dir.file("sub/a.txt"), "x", 1);
    pollWatcher();
    FILE* f = fopen(dir.file("sub/a.txt").c_str(), "ab");
    fputs("more", f);
    fclose(f);
    pollWatcher();
    rename(dir.file("sub/a.txt").c_str(), dir.file("b.txt").c_str());
    unlink(dir.file("b.txt").c_str());
    // A folder made after the start is watched too.
    mkdir(dir.file("late").c_str(), 0755);
    pollWatcher();
    writeFileBytes(dir.file("late/c.txt"), "c", 1);
    pollWatcher();
    stopWatcher();
    pollWatcher();  // after stopping: nothing, no crash
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("file added 'sub/a.txt'\n"), std::string::npos) << out;
    EXPECT_NE(out.find("file changed 'sub/a.txt'\n"), std::string::npos) << out;
    EXPECT_NE(out.find("file removed 'sub/a.txt'\n"), std::string::npos) << out;  // old name of the move
    EXPECT_NE(out.find("file added 'b.txt'\n"), std::string::npos) << out;        // new name of the move
    EXPECT_NE(out.find("file removed 'b.txt'\n"), std::string::npos) << out;
    EXPECT_NE(out.find("file added 'late/c.txt'\n"), std::string::npos) << out;
}

TEST(Watcher, FilesMadeInsideABrandNewFolderTreeAreSeen)
{
    TempDir dir;
    startWatcher(dir.path.c_str());
    ::testing::internal::CaptureStdout();
    // One command makes the folders and the file before the watcher can
    // add watches for the new folders.
    std::string cmd = "cd '" + dir.path + "' && mkdir -p deep/a/b && echo q > deep/a/b/c";
    ASSERT_EQ(system(cmd.c_str()), 0);
    pollWatcher();
    writeFileBytes(dir.file("deep/a/b/later.txt"), "x", 1);
    pollWatcher();
    stopWatcher();
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("file added 'deep'\n"), std::string::npos) << out;
    EXPECT_NE(out.find("file added 'deep/a/b/c'\n"), std::string::npos) << out;
    EXPECT_NE(out.find("file added 'deep/a/b/later.txt'\n"), std::string::npos) << out;
}

TEST(Watcher, AnUnwatchableDirectoryOnlyDisablesTheLogging)
{
    ::testing::internal::CaptureStdout();
    startWatcher("/nonexistent/folder");
    pollWatcher();
    stopWatcher();
    startWatcher("");
    pollWatcher();
    stopWatcher();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}
