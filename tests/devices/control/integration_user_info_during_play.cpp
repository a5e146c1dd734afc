// User-information loads (the window takes each answer into owner.user) again
// and again while players and the synchronised-control program start. A play
// takes the user id the window gave it at the start: in the sanitizer build a
// play that reads owner.user on its worker is a finding; in every build each
// player still gets that id and each task ends with one answer.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "account/ProfileTasks.h"
#include "app/Messages.h"
#include "platform/SharedSection.h"
#include "tests/devices/control/ControlFixture.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;

constexpr int kRounds = 4;
constexpr int kLoadsPerRound = 3;

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class UserInfoDuringPlayTest : public ControlTaskTest {
protected:
    void SetUp() override
    {
        ControlTaskTest::SetUp();
        // No X11 here: a player's window is its process, closed by SIGTERM.
        unsetenv("DISPLAY");
        setenv("KORVANA_TOOL_ECHO", (folder() / "echo.txt").c_str(), 1);
    }
    void TearDown() override
    {
        ControlTaskTest::TearDown();
        unsetenv("KORVANA_TOOL_ECHO");
    }

    std::size_t CountOf(UINT message, std::initializer_list<WPARAM> codes)
    {
        std::size_t count = 0;
        for (const RecordedMessage& m : window->Messages()) {
            if (m.msg == message && std::find(codes.begin(), codes.end(), m.wParam) != codes.end())
                ++count;
        }
        return count;
    }
};

TEST_F(UserInfoDuringPlayTest, EveryTaskEndsOnceAndThePlaysCarryTheUserIdTheyWereStartedWith)
{
    MessageBoxRecorder boxes; // whatever a worker would show
    // A device of its own for each play: a second player of one device
    // would take the first one's place among the players, and that one
    // would never be asked to close.
    for (int d = 0; d <= kRounds; ++d) {
        const std::wstring id = std::to_wstring(10 + d);
        AddDevice(id, L"VM00" + id, L"pad" + id);
    }
    SetDeviceSelected(client->devices, 0, true);
    SetDeviceSelected(client->devices, 1, true);

    int plays = 0;
    int loads = 0;
    for (int round = 0; round < kRounds; ++round) {
        StartTaskWith(client, &PlayDevice, PlayOf(round)).Drop();
        ++plays;
        if (round % 2 == 0)
            StartTaskWith(client, &PlayDevicesInSync, client->user.userId).Drop();
        for (int load = 0; load < kLoadsPerRound; ++load) {
            StartTask(client, &RefreshUserInfo, 0).Drop();
            ++loads;
        }
        ASSERT_TRUE(Eventually(
            [&] {
                return CountOf(msg::UM_USERINFO, { msg::kUserInfoLoaded, msg::kUserInfoFailed })
                    == static_cast<std::size_t>(loads);
            },
            20000));
        ClosePlayersOf(*client);
    }
    const bool ended = Eventually(
        [&] {
            CloseAllPlayersOf(*client);
            return CountOf(
                       msg::UM_PLAY, { msg::kPlayerEnded, msg::kPlayAddressFailed, msg::kPlaySessionExpired })
                == static_cast<std::size_t>(plays)
                && !SyncProgramRuns(*client);
        },
        120000);
    ASSERT_TRUE(ended) << CountOf(
        msg::UM_PLAY, { msg::kPlayerEnded, msg::kPlayAddressFailed, msg::kPlaySessionExpired })
                       << " plays ended of " << plays << "; sync runs: " << SyncProgramRuns(*client);
    ASSERT_TRUE(WaitForAllTasks(60s));
    EXPECT_EQ(CountOf(msg::UM_PLAY, { msg::kPlayerEnded }), static_cast<std::size_t>(plays));
    EXPECT_EQ(CountOf(msg::UM_USERINFO, { msg::kUserInfoLoaded }), static_cast<std::size_t>(loads));
    const std::string section = ReadSyncSection();
    EXPECT_NE(section.find("\"UserID\":\"42\""), std::string::npos) << section;

    // One more play, with the synchronised program gone: the player's
    // arguments hold the id it was started with (after the session's "-"),
    // whatever owner.user holds meanwhile.
    std::filesystem::remove(folder() / "echo.txt");
    StartTaskWith(client, &PlayDevice, PlayOf(kRounds)).Drop();
    client->user.userId = "77";
    const std::string last = "pad" + std::to_string(10 + kRounds) + "\n";
    ASSERT_TRUE(
        Eventually([&] { return ReadFile(folder() / "echo.txt").find(last) != std::string::npos; }, 20000));
    EXPECT_NE(ReadFile(folder() / "echo.txt").find("\n-\n42\n"), std::string::npos)
        << ReadFile(folder() / "echo.txt");
    ClosePlayersOf(*client);
    ASSERT_TRUE(Eventually(
        [&] { return CountOf(msg::UM_PLAY, { msg::kPlayerEnded }) == static_cast<std::size_t>(plays + 1); },
        20000));
}

} // namespace
