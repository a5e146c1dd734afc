#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "platform/FileSystem.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace {

using korvana::test::ScopedEnv;
using korvana::test::TempDir;

TEST(FileSystem, LocalDataFolderFollowsXdgOrHome)
{
    {
        ScopedEnv data("XDG_DATA_HOME", "/data/home/");
        EXPECT_EQ(LocalDataFolder(), "/data/home");
    }
    ScopedEnv home("HOME", "/home/u");
    for (const char* ignored : { "", "rel/ative" }) {
        ScopedEnv data("XDG_DATA_HOME", std::string(ignored));
        EXPECT_EQ(LocalDataFolder(), "/home/u/.local/share");
    }
    ScopedEnv none("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(LocalDataFolder(), "/home/u/.local/share");
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_FALSE(LocalDataFolder().empty()); // from the user database
}

TEST(FileSystem, FolderCreationIsOneLevelAndPrivate)
{
    TempDir dir;
    const std::string one = (dir.path() / "one").string();
    EXPECT_TRUE(CreateOneFolder(one));
    EXPECT_TRUE(IsFolder(one));
    struct stat st { };
    ASSERT_EQ(::stat(one.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(CreateOneFolder(one)); // already there
    EXPECT_FALSE(CreateOneFolder((dir.path() / "a" / "b").string()));
    EXPECT_FALSE(CreateOneFolder(""));
}

TEST(FileSystem, FileTestsAndDeletion)
{
    TempDir dir;
    const std::string file = (dir.path() / "cookies.txt").string();
    std::ofstream(file) << "x";
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(IsRegularFile(file));
    EXPECT_FALSE(IsFolder(file));
    EXPECT_FALSE(IsRegularFile(dir.path().string()));
    EXPECT_TRUE(DeleteOneFile(file));
    EXPECT_FALSE(PathExists(file));
    EXPECT_TRUE(DeleteOneFile(file)); // gone is gone
    EXPECT_FALSE(DeleteOneFile(dir.path().string())); // never a folder
    EXPECT_TRUE(IsFolder(dir.path().string()));
}

TEST(FileSystem, RunningProgramPathIsThisProgramUnlessOverridden)
{
    EXPECT_EQ(std::filesystem::path(RunningProgramPath()).filename(), "platform_unit_tests");
    OverrideRunningProgramPathForTesting("/moved/korvana");
    EXPECT_EQ(RunningProgramPath(), "/moved/korvana");
    OverrideRunningProgramPathForTesting("");
    EXPECT_EQ(std::filesystem::path(RunningProgramPath()).filename(), "platform_unit_tests");
}

} // namespace
