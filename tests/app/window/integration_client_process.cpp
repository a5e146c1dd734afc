// The real client program, started as a person would start it (headless):
// one copy per user, and start-up with a broken per-user folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/ClientProcess.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A home of its own for each test: data, configuration and lock folders.
class ClientProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* sub : { "data", "config", "run" })
            fs::create_directories(home.path() / sub);
        fs::permissions(home.path() / "run", fs::perms::owner_all);
    }
    std::map<std::string, std::string> Environment() const
    {
        return { { "QT_QPA_PLATFORM", "offscreen" }, { "XDG_DATA_HOME", (home.path() / "data").string() },
            { "XDG_CONFIG_HOME", (home.path() / "config").string() },
            { "XDG_RUNTIME_DIR", (home.path() / "run").string() }, { "no_proxy", "*" } };
    }
    std::unique_ptr<ClientProcess> Start(const std::string& log)
    {
        return std::make_unique<ClientProcess>(
            ClientProcess::ClientProgram(), Environment(), (home.path() / log).string());
    }
    fs::path Folder() const { return home.path() / "data" / "korvanClient"; }

    TempDir home;
};

TEST_F(ClientProgramTest, ASecondCopyIsToldAndEndsWhileTheFirstRunsOn)
{
    auto first = Start("first.log");
    ASSERT_TRUE(first->started());
    ASSERT_TRUE(first->WaitForLog(":windowinit", 20s)) << first->Log();
    // Something the second copy must not touch.
    std::ofstream(Folder() / "cookies.txt") << "# kept\n";

    auto second = Start("second.log");
    ASSERT_TRUE(second->started());
    EXPECT_EQ(second->WaitForExit(20s), 0);
    EXPECT_NE(second->Log().find("已经有一个程序实例在运行！"), std::string::npos) << second->Log();
    EXPECT_EQ(second->Log().find(":windowinit"), std::string::npos);
    // The running window was asked to the front.
    EXPECT_TRUE(first->WaitForLog("a second copy was started: the window comes to the front", 20s))
        << first->Log();
    EXPECT_TRUE(fs::exists(Folder() / "cookies.txt"));
    EXPECT_TRUE(first->Running());
    first->Terminate();
    first->WaitForExit(10s);

    // Once the first copy is gone, the next one starts.
    auto third = Start("third.log");
    EXPECT_TRUE(third->WaitForLog(":windowinit", 20s)) << third->Log();
    third->Terminate();
}

TEST_F(ClientProgramTest, TheDiagnosticLinesGoToStandardErrorAndStandardOutputStaysQuiet)
{
    auto client = Start("quiet.log");
    ASSERT_TRUE(client->started());
    // The router's line of every notification, the focus among them.
    ASSERT_TRUE(client->WaitForLog(":windowinit", 20s)) << client->Log();
    ASSERT_TRUE(client->WaitForLog("EditOfLoginName:setfocus", 20s)) << client->Log();
    client->Terminate();
    client->WaitForExit(10s);
    EXPECT_EQ(client->Output(), "");
}

TEST_F(ClientProgramTest, AFirstRunPreparesTheFolderAndDropsOldCookies)
{
    fs::create_directories(Folder());
    std::ofstream(Folder() / "cookies.txt") << "127.0.0.1\tFALSE\t/\tFALSE\t0\tkorvana_session\told\n";
    auto client = Start("client.log");
    ASSERT_TRUE(client->WaitForLog(":windowinit", 20s)) << client->Log();
    EXPECT_FALSE(fs::exists(Folder() / "cookies.txt"));
    EXPECT_TRUE(fs::is_directory(Folder() / "Cache"));
    EXPECT_TRUE(fs::is_directory(Folder() / "Icon"));
    std::ifstream ini(Folder() / "config.ini");
    std::string settings((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_NE(settings.find("auto_start=1"), std::string::npos);
    EXPECT_TRUE(fs::exists(home.path() / "config" / "autostart" / "korvanClient.desktop"));
    client->Terminate();
}

TEST_F(ClientProgramTest, AnUnusableSettingsFileStillLetsTheClientStart)
{
    // A folder where config.ini should be: nothing can be read or written.
    fs::create_directories(Folder() / "config.ini");
    auto client = Start("client.log");
    EXPECT_TRUE(client->WaitForLog(":windowinit", 20s)) << client->Log();
    EXPECT_TRUE(client->Running());
    client->Terminate();
}

TEST_F(ClientProgramTest, APerUserFolderThatCannotBeMadeIsToldAndEndsWithZero)
{
    // A file where the per-user folder should be.
    std::ofstream(Folder()) << "not a folder";
    auto client = Start("client.log");
    EXPECT_EQ(client->WaitForExit(20s), 0);
    EXPECT_NE(client->Log().find("创建数据缓存目录失败！"), std::string::npos) << client->Log();
}

} // namespace
