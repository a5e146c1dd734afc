// The start-up task of the window: the refresh stamp, the update check,
// then the catalogue database, each reported to the window.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "app/Task.h"
#include "app/window/StartupTask.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;

class StartupTaskTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(WaitForAllTasks(5s)); }

    RecordingTarget window;
    std::shared_ptr<ClientManager> manager = std::make_shared<ClientManager>(&window);
};

TEST_F(StartupTaskTest, StampsTheCatalogueAndReportsReady)
{
    // Its own per-user folder: the process-wide paths may still name the
    // removed folder of an earlier test of this binary.
    TempDir dir;
    const LocalPaths& paths = InitLocalPaths(dir.path().string());
    std::filesystem::create_directories(paths.folder.narrow);
    const auto before = static_cast<std::int64_t>(std::time(nullptr));
    manager->user.loginState = kLoginStateLoggedIn; // an automatic login may have finished first
    StartTask(manager, RunStartupTask).Wait(5s);
    EXPECT_GE(manager->RefreshStamp, before);
    EXPECT_LE(manager->RefreshStamp, before + 5);
    EXPECT_EQ(manager->user.loginState, kLoginStateLoggedIn); // the session is not the start-up's
    const auto messages = window.Messages();
    // The update check comes first (no service answers here: no update).
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].msg, msg::UM_STARTUP);
    EXPECT_EQ(messages[0].wParam, msg::kUpdateNone);
    EXPECT_EQ(messages[1].msg, msg::UM_STARTUP);
    EXPECT_EQ(messages[1].wParam, msg::kStartupReady);
    EXPECT_TRUE(std::filesystem::is_regular_file(paths.database.narrow)); // the catalogue is the user's file
    EXPECT_TRUE(manager->catalogue.databaseStep.WaitOpen(0ms));
}

} // namespace
