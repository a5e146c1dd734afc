// The real client program with a catalogue file it cannot use: it quits
// right after start-up, with exit code 0 and without a message box, and
// leaves the file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/ClientProcess.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ClientDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* sub : { "data", "config", "run" })
            fs::create_directories(home.path() / sub);
        fs::permissions(home.path() / "run", fs::perms::owner_all);
        fs::create_directories(Folder());
    }
    std::unique_ptr<ClientProcess> Start()
    {
        std::map<std::string, std::string> variables
            = { { "QT_QPA_PLATFORM", "offscreen" }, { "XDG_DATA_HOME", (home.path() / "data").string() },
                  { "XDG_CONFIG_HOME", (home.path() / "config").string() },
                  { "XDG_RUNTIME_DIR", (home.path() / "run").string() }, { "no_proxy", "*" } };
        return std::make_unique<ClientProcess>(
            ClientProcess::ClientProgram(), variables, (home.path() / "client.log").string());
    }
    fs::path Folder() const { return home.path() / "data" / "korvanClient"; }

    TempDir home;
};

TEST_F(ClientDatabaseTest, ACorruptCatalogueEndsTheClientWithoutABox)
{
    const std::string garbage(8192, '\x5a');
    std::ofstream(Folder() / "data.db", std::ios::binary) << garbage;
    auto client = Start();
    ASSERT_TRUE(client->started());
    EXPECT_EQ(client->WaitForExit(30s), 0) << client->Log();
    EXPECT_NE(client->Log().find("Create table t_game FAILED! "), std::string::npos) << client->Log();
    EXPECT_EQ(client->Log().find("message box:"), std::string::npos) << client->Log();
    std::ifstream in(Folder() / "data.db", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), garbage);
}

TEST_F(ClientDatabaseTest, ACatalogueThatCannotBeOpenedEndsTheClientWithoutABox)
{
    fs::create_directories(Folder() / "data.db");
    auto client = Start();
    ASSERT_TRUE(client->started());
    EXPECT_EQ(client->WaitForExit(30s), 0) << client->Log();
    EXPECT_NE(client->Log().find("Couldn't Created Or Open "), std::string::npos) << client->Log();
    EXPECT_EQ(client->Log().find("message box:"), std::string::npos) << client->Log();
}

} // namespace
