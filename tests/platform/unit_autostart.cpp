#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/AutoStart.h"
#include "platform/FileSystem.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace {

using korvana::test::ScopedEnv;
using korvana::test::TempDir;

std::string ReadAll(const std::string& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ExecLineOf(const std::string& entry)
{
    std::istringstream in(ReadAll(entry));
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Exec=", 0) == 0)
            return line.substr(5);
    return {};
}

class AutoStartTest : public ::testing::Test {
protected:
    void TearDown() override { OverrideRunningProgramPathForTesting(""); }

    TempDir dir;
    ScopedEnv config { "XDG_CONFIG_HOME", dir.path().string() };
};

TEST_F(AutoStartTest, EntryLivesInTheAutostartFolderOfTheConfigFolder)
{
    EXPECT_EQ(AutoStartEntryPath("korvanClient"), dir.path().string() + "/autostart/korvanClient.desktop");
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/path"); // not absolute: ignored
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(AutoStartEntryPath("korvanClient"), "/home/someone/.config/autostart/korvanClient.desktop");
}

TEST_F(AutoStartTest, ExecQuotesThePathAsDesktopEntriesRequire)
{
    EXPECT_EQ(DesktopExecValue("/opt/korvana/korvana"), "\"/opt/korvana/korvana\"");
    EXPECT_EQ(DesktopExecValue("/a b/k"), "\"/a b/k\"");
    // In the file each reserved character takes a backslash, and each
    // backslash is itself escaped once more.
    EXPECT_EQ(DesktopExecValue("/x\"y"), "\"/x\\\\\"y\"");
    EXPECT_EQ(DesktopExecValue("/x$y`z"), "\"/x\\\\$y\\\\`z\"");
    EXPECT_EQ(DesktopExecValue("/x\\y"), "\"/x\\\\\\\\y\"");
    EXPECT_EQ(DesktopExecValue("/100%/k"), "\"/100%%/k\"");
    EXPECT_EQ(DesktopExecValue("/云手机/k"), "\"/云手机/k\"");
}

TEST_F(AutoStartTest, EnableWritesTheRunningProgramAndIsRewrittenWhenItMoves)
{
    const std::string entry = AutoStartEntryPath("korvanClient");
    OverrideRunningProgramPathForTesting("/first place/korvana");
    ASSERT_TRUE(SetAutoStart("korvanClient", true)); // creates the autostart folder too
    const std::string text = ReadAll(entry);
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
    EXPECT_EQ(ExecLineOf(entry), "\"/first place/korvana\"");

    OverrideRunningProgramPathForTesting("/second/korvana");
    ASSERT_TRUE(SetAutoStart("korvanClient", true));
    EXPECT_EQ(ExecLineOf(entry), "\"/second/korvana\"");
}

TEST_F(AutoStartTest, WithoutOverrideTheEntryNamesThisProgram)
{
    ASSERT_TRUE(SetAutoStart("korvanClient", true));
    EXPECT_EQ(ExecLineOf(AutoStartEntryPath("korvanClient")), DesktopExecValue(RunningProgramPath()));
    EXPECT_TRUE(std::filesystem::exists(RunningProgramPath()));
}

TEST_F(AutoStartTest, DisableRemovesTheEntryAndAMissingEntryIsNoFailure)
{
    const std::string entry = AutoStartEntryPath("korvanClient");
    ASSERT_TRUE(SetAutoStart("korvanClient", true));
    ASSERT_TRUE(std::filesystem::exists(entry));
    EXPECT_TRUE(SetAutoStart("korvanClient", false));
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(SetAutoStart("korvanClient", false));
}

TEST_F(AutoStartTest, AnUnwritableConfigFolderReportsFailure)
{
    std::ofstream(dir.path() / "autostart") << "a file, not a folder";
    EXPECT_FALSE(SetAutoStart("korvanClient", true));
}

} // namespace
