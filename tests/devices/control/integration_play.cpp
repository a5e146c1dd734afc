// Opening devices: the play-address request, the player started with its
// fixed command line and closed again, the synchronised list in the shared
// section, and the failures of the play address.
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>

#include "app/Messages.h"
#include "net/TextConvert.h"
#include "platform/SharedSection.h"
#include "tests/devices/control/ControlFixture.h"
#include "tests/support/ScopedEnv.h"

namespace {

using namespace korvana::test;

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class PlayTest : public ControlTaskTest {
protected:
    void SetUp() override
    {
        ControlTaskTest::SetUp();
        // No X11 here: the player's window is its process, closed by SIGTERM.
        unsetenv("DISPLAY");
        setenv("KORVANA_TOOL_ECHO", (folder() / "echo.txt").c_str(), 1);
        setenv("KORVANA_TOOL_STATUS", (folder() / "status.txt").c_str(), 1);
    }
    void TearDown() override
    {
        ControlTaskTest::TearDown();
        unsetenv("KORVANA_TOOL_ECHO");
        unsetenv("KORVANA_TOOL_STATUS");
    }
    // The port the play address names: the play stream's.
    std::string StreamPort()
    {
        return std::to_string(
            nlohmann::json::parse(control().Get("/__test/control/stream").body)["port"].get<int>());
    }
    std::vector<WPARAM> Codes(UINT message)
    {
        std::vector<WPARAM> codes;
        for (const RecordedMessage& m : window->Messages()) {
            if (m.msg == message)
                codes.push_back(m.wParam);
        }
        return codes;
    }
};

TEST_F(PlayTest, ThePlayerGetsTheFixedCommandLineAndEndsWhenClosed)
{
    AddDevice(L"7", L"VM0007", L"My pad");
    StartTaskWith(client, &PlayDevice, PlayOf(0));
    ASSERT_TRUE(Eventually([&] { return PlayerOpenOf(*client, 0); }));

    auto log = control().RequestsTo("/api/qtz/front_device_play_url");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].body, "&id=7");
    EXPECT_EQ(client->devices.devices[0].ip, L"127.0.0.1");
    // The port of the play stream.
    EXPECT_EQ(client->devices.devices[0].port,
        std::to_wstring(
            nlohmann::json::parse(control().Get("/__test/control/stream").body)["port"].get<int>()));
    EXPECT_EQ(Codes(msg::UM_PLAY), std::vector<WPARAM> { msg::kPlayerStarting });

    ASSERT_TRUE(
        Eventually([&] { return ReadFile(folder() / "echo.txt").find("pad\n") != std::string::npos; }));
    // The session's place holds "-": what ps shows carries no session.
    EXPECT_EQ(ReadFile(folder() / "echo.txt"),
        "VM0007\n127.0.0.1\n" + StreamPort() + "\n-\n42\n1\n0\nnot\n0\nMy\npad\n");
    pid_t player = 0;
    {
        std::lock_guard lock(client->control.mutex);
        player = client->control.players.at(L"7").pid;
    }
    const std::string token = SessionToken();
    ASSERT_FALSE(token.empty());
    const std::string commandLine = ReadFile("/proc/" + std::to_string(player) + "/cmdline");
    EXPECT_NE(commandLine.find(std::string("ZorIzoriz\0VM0007\0", 17)), std::string::npos);
    EXPECT_EQ(commandLine.find(token), std::string::npos);
    const std::string environment = ReadFile("/proc/" + std::to_string(player) + "/environ");
    EXPECT_NE(environment.find(std::string("\0KORVANA_PLAY_SESSION=", 22) + token + std::string(1, '\0')),
        std::string::npos);
    struct stat info { };
    ASSERT_EQ(stat(("/proc/" + std::to_string(player) + "/environ").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u); // the environment is for the same user only
    // The play stream admitted the player: that session and user.
    EXPECT_TRUE(
        Eventually([&] { return ReadFile(folder() / "status.txt").find("frame") != std::string::npos; }));
    EXPECT_EQ(nlohmann::json::parse(control().Get("/__test/control/stream").body)["connections"], 1);

    // A second play of the device while it runs is the window's to refuse
    // (DeviceControlUiTest); closing the player ends the task.
    ClosePlayerOf(*client, 0);
    ASSERT_TRUE(window->WaitForCount(2, 10000));
    EXPECT_EQ(Codes(msg::UM_PLAY), (std::vector<WPARAM> { msg::kPlayerStarting, msg::kPlayerEnded }));
    EXPECT_EQ(window->Messages().back().lParam, 0);
    EXPECT_FALSE(client->devices.devices[0].player_open);
    EXPECT_EQ(screenshots.load(), 1);
    EXPECT_TRUE(client->control.players.empty());
}

nlohmann::json Inputs(ServiceControl& control, const std::string& id)
{
    return nlohmann::json::parse(control.Get("/__test/control/inputs?id=" + id).body)["inputs"];
}

TEST_F(PlayTest, AClickInThePlayerIsATapOnTheDeviceInItsOwnPixels)
{
    AddDevice(L"7", L"VM0007", L"My pad");
    // The player shows the 720 x 1280 screen at 360 x 640: half size.
    setenv("KORVANA_TOOL_CLICK", "100,200", 1);
    StartTaskWith(client, &PlayDevice, PlayOf(0));
    const bool tapped = Eventually([&] { return !Inputs(control(), "7").empty(); }, 20000);
    unsetenv("KORVANA_TOOL_CLICK");
    ASSERT_TRUE(tapped);
    EXPECT_EQ(Inputs(control(), "7"), nlohmann::json::array({ "tap 200 400" }));
    // Over the stream, not as requests.
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_device_input").empty());
}

TEST_F(PlayTest, ADragOnOneSynchronisedScreenIsRepeatedOnEveryDevice)
{
    AddDevice(L"7", L"VM0007", L"a").selected = true;
    AddDevice(L"9", L"VM0009", L"b").selected = true;
    setenv("KORVANA_TOOL_CLICK", "10,20,100,200", 1);
    StartTaskWith(client, &PlayDevicesInSync, client->user.userId);
    const bool mirrored
        = Eventually([&] { return !Inputs(control(), "7").empty() && !Inputs(control(), "9").empty(); });
    unsetenv("KORVANA_TOOL_CLICK");
    ASSERT_TRUE(mirrored);
    // Once the program has ended nothing more can come.
    CloseSyncProgramOf(*client);
    ASSERT_TRUE(Eventually([&] { return !SyncProgramRuns(*client); }));
    const auto first = Inputs(control(), "7");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first, Inputs(control(), "9"));
    EXPECT_EQ(first[0].get<std::string>().rfind("swipe ", 0), 0u);
}

TEST_F(PlayTest, APlayerThatCannotStartStillEndsWithARefreshedScreenshot)
{
    AddDevice(L"7", L"VM01", L"My pad");
    SetExternalProgramFolderForTesting(folder().string()); // no player there
    PlayRequest play = PlayOf(0);
    PlayDevice(*client, play);
    EXPECT_EQ(Codes(msg::UM_PLAY), (std::vector<WPARAM> { msg::kPlayerStarting, msg::kPlayerEnded }));
    EXPECT_EQ(screenshots.load(), 1);
}

TEST_F(PlayTest, PlayAddressFailuresAreReportedAndStartNothing)
{
    AddDevice(L"7", L"VM01", L"My pad");
    struct Case {
        nlohmann::json fault;
        WPARAM code;
    };
    const std::vector<Case> cases {
        { { { "path", "/api/qtz/front_device_play_url" }, { "kind", "not_json" } }, msg::kPlayAddressFailed },
        { { { "path", "/api/qtz/front_device_play_url" }, { "drop", true } }, msg::kPlayAddressFailed },
        { { { "path", "/api/qtz/front_device_play_url" }, { "kind", "wrong_types" } },
            msg::kPlayAddressFailed },
        { { { "path", "/api/qtz/front_device_play_url" },
              { "body", R"({"status":true,"message":"{\"ip\":\"10.0.0.5\"}"})" } },
            msg::kPlayAddressFailed },
        { { { "path", "/api/qtz/front_device_play_url" },
              { "body", R"({"status":false,"message":"-1000"})" } },
            msg::kPlaySessionExpired },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault.dump());
        control().ClearFaults();
        control().InjectFault(c.fault);
        window = std::make_unique<RecordingTarget>();
        auto probe = std::make_shared<ClientManager>(window.get());
        probe->user.userId = "42";
        probe->devices.devices = client->devices.devices;
        PlayRequest play = PlayOf(0);
        PlayDevice(*probe, play);
        EXPECT_EQ(Codes(msg::UM_PLAY), std::vector<WPARAM> { c.code });
        EXPECT_EQ(window->Messages().back().lParam, 0);
        EXPECT_EQ(probe->devices.devices[0].port, L""); // a half address is not kept
    }
    EXPECT_FALSE(std::filesystem::exists(folder() / "echo.txt"));
    EXPECT_EQ(screenshots.load(), 0);
}

TEST_F(PlayTest, TwoSelectedDevicesGoToTheSynchronisedProgramInOneArray)
{
    AddDevice(L"7", L"VM01", L"My pad").selected = true;
    AddDevice(L"8", L"VM02", L"not me");
    AddDevice(L"9", L"VM03", L"三号").selected = true;
    StartTaskWith(client, &PlayDevicesInSync, client->user.userId);
    ASSERT_TRUE(Eventually([&] {
        std::lock_guard lock(client->control.mutex);
        return client->control.syncWindow.IsValid();
    }));
    auto log = control().RequestsTo("/api/qtz/front_device_play_url");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].body, "&id=7");
    EXPECT_EQ(log[1].body, "&id=9");
    const std::string session = SessionToken();
    const std::string port = StreamPort();
    EXPECT_EQ(AnsiToUtf8(ReadSyncSection()),
        "[{\"SessionID\":\"" + session
            + "\",\"UserID\":\"42\",\"PadCode\":\"VM01\",\"PadID\":\"7\","
              "\"PadName\":\"My pad\",\"Ip\":\"127.0.0.1\",\"Port\":"
            + port
            + "},"
              "{\"SessionID\":\""
            + session
            + "\",\"UserID\":\"42\",\"PadCode\":\"VM03\",\"PadID\":\"9\","
              "\"PadName\":\"三号\",\"Ip\":\"127.0.0.1\",\"Port\":"
            + port + "}]");
    EXPECT_EQ(ReadFile(folder() / "echo.txt"), ""); // started without arguments
    // The section, for the user alone (its per-user name: SyncSectionName).
    struct stat info { };
    EXPECT_EQ(stat(("/dev/shm" + syncSection.name()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(Codes(msg::UM_PLAY), std::vector<WPARAM> { msg::kPlayerStarting });
    // A second start while it runs does nothing.
    PlayDevicesInSync(*client, client->user.userId);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_play_url").size(), 2u);

    CloseSyncProgramOf(*client);
    ASSERT_TRUE(Eventually([&] { return !SyncProgramRuns(*client); }));
    EXPECT_EQ(Codes(msg::UM_PLAY), std::vector<WPARAM> { msg::kPlayerStarting }); // nothing when it ends
}

TEST_F(PlayTest, FewerThanTwoSelectedDevicesStartNothing)
{
    MessageBoxRecorder boxes;
    AddDevice(L"7", L"VM01", L"My pad").selected = true;
    AddDevice(L"8", L"VM02", L"other");
    PlayDevicesInSync(*client, client->user.userId);
    EXPECT_EQ(boxes.CountOf(L"至少选中2个设备！", L"提示"), 1u);
    EXPECT_EQ(Codes(msg::UM_PLAY), std::vector<WPARAM> { msg::kPlayerStarting });
    EXPECT_EQ(window->Messages().back().lParam, 0);
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_device_play_url").empty());
    EXPECT_FALSE(SyncProgramRuns(*client));
}

TEST_F(PlayTest, ASelectionTooLargeForTheSectionIsRefusedWithAMessage)
{
    MessageBoxRecorder boxes;
    SetExternalProgramFolderForTesting(folder().string()); // nothing may start anyway
    for (int i = 0; i < 560; ++i)
        AddDevice(std::to_wstring(100 + i), L"VM" + std::to_wstring(i), std::wstring(1900, L'n')).selected
            = true;
    PlayDevicesInSync(*client, client->user.userId);
    EXPECT_EQ(boxes.CountOf(kTooManyForSyncText, L"提示"), 1u);
    EXPECT_FALSE(SyncProgramRuns(*client));
}

} // namespace
