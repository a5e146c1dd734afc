// The two programs on a real X server (Xvfb, started here): the client finds
// each program's window by its process and closes it with WM_DELETE_WINDOW;
// the windows are saved as PNGs to be looked at.
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>

#include "app/Messages.h"
#include "platform/SharedSection.h"
#include "tests/devices/control/ControlFixture.h"

extern char** environ;

namespace {

using namespace korvana::test;

// An Xvfb of its own on a free display number, or none when not installed.
class XServer {
public:
    XServer()
    {
        if (access("/usr/bin/Xvfb", X_OK) != 0)
            return;
        for (int number = 90 + getpid() % 50; number < 200 && m_pid == 0; ++number) {
            const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            if (access(lock.c_str(), F_OK) == 0)
                continue;
            m_display = ":" + std::to_string(number);
            std::vector<std::string> words { "/usr/bin/Xvfb", m_display, "-screen", "0", "1280x900x24",
                "-nolisten", "tcp" };
            std::vector<char*> argv;
            for (auto& w : words)
                argv.push_back(w.data());
            argv.push_back(nullptr);
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
            pid_t pid = 0;
            if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
                m_pid = pid;
            posix_spawn_file_actions_destroy(&actions);
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            if (!Eventually([&] { return access(socket.c_str(), F_OK) == 0; }, 5000)) {
                Stop();
                m_display.clear();
            }
        }
    }
    ~XServer() { Stop(); }
    bool Running() const { return m_pid != 0; }
    const std::string& Display() const { return m_display; }

private:
    void Stop()
    {
        if (m_pid == 0)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }
    pid_t m_pid = 0;
    std::string m_display;
};

class ProgramWindowTest : public ControlTaskTest {
protected:
    void SetUp() override
    {
        ControlTaskTest::SetUp();
        if (!x.Running())
            GTEST_SKIP() << "no Xvfb";
        setenv("DISPLAY", x.Display().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        std::filesystem::create_directories(PngDir());
    }
    void TearDown() override
    {
        ControlTaskTest::TearDown();
        unsetenv("KORVANA_TOOL_PNG");
        unsetenv("DISPLAY");
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static std::filesystem::path PngDir()
    {
        const char* dir = std::getenv("KORVANA_PNG_DIR");
        return dir != nullptr && *dir != '\0' ? std::filesystem::path(dir)
                                              : std::filesystem::path("/tmp/korvana-png");
    }
    XServer x;
};

TEST_F(ProgramWindowTest, ThePlayerWindowIsFoundByItsProcessAndClosedLikeAnyWindow)
{
    const auto png = PngDir() / "player.png";
    std::filesystem::remove(png);
    setenv("KORVANA_TOOL_PNG", png.c_str(), 1);
    AddDevice(L"7", L"VM0007", L"My pad");
    StartTaskWith(client, &PlayDevice, PlayOf(0));
    ASSERT_TRUE(Eventually([&] { return PlayerOpenOf(*client, 0); }, 15000));
    ExternalWindow found;
    {
        std::lock_guard lock(client->control.mutex);
        found = client->control.players[L"7"];
    }
    EXPECT_NE(found.xWindow, 0u); // a real window, not only the process
    EXPECT_TRUE(Eventually([&] { return std::filesystem::exists(png); }, 15000));

    ClosePlayerOf(*client, 0);
    ASSERT_TRUE(window->WaitForCount(2, 10000));
    EXPECT_EQ(window->Messages().back().wParam, msg::kPlayerEnded);
    EXPECT_FALSE(client->devices.devices[0].player_open);
}

TEST_F(ProgramWindowTest, APlayerThatShowsNoWindowIsStillClosedThroughItsProcess)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1); // a display, but no window on it
    AddDevice(L"7", L"VM0007", L"My pad");
    StartTaskWith(client, &PlayDevice, PlayOf(0));
    ASSERT_TRUE(Eventually([&] { return PlayerOpenOf(*client, 0); }, 15000));
    {
        std::lock_guard lock(client->control.mutex);
        EXPECT_EQ(client->control.players[L"7"].xWindow, 0u);
    }
    ClosePlayerOf(*client, 0);
    ASSERT_TRUE(window->WaitForCount(2, 10000));
    EXPECT_EQ(window->Messages().back().wParam, msg::kPlayerEnded);
}

TEST_F(ProgramWindowTest, TheSynchronisedWindowShowsEverySelectedDevice)
{
    const auto png = PngDir() / "sync.png";
    std::filesystem::remove(png);
    setenv("KORVANA_TOOL_PNG", png.c_str(), 1);
    AddDevice(L"7", L"VM0007", L"云手机07").selected = true;
    AddDevice(L"9", L"VM0009", L"云手机09").selected = true;
    AddDevice(L"11", L"VM0011", L"云手机11").selected = true;
    StartTaskWith(client, &PlayDevicesInSync, client->user.userId);
    ASSERT_TRUE(Eventually(
        [&] {
            std::lock_guard lock(client->control.mutex);
            return client->control.syncWindow.xWindow != 0;
        },
        15000));
    EXPECT_TRUE(Eventually([&] { return std::filesystem::exists(png); }, 15000));
    CloseSyncProgramOf(*client);
    ASSERT_TRUE(Eventually([&] { return !SyncProgramRuns(*client); }, 10000));
}

} // namespace
