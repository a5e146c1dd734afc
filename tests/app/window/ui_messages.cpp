// The window's own messages: start-up and update codes, the routing of
// messages and notifications to pages, and the window's end while tasks run.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/SettingsFile.h"
#include "app/window/CMainWnd.h"
#include "app/window/Client.h"
#include "net/ServiceAddress.h"
#include "platform/UiThreadCall.h"
#include "tests/support/MainWindowTest.h"
#include "tests/support/TempDir.h"
#include "ui/UIManager.h"
#include "ui/UIProgress.h"
#include "ui/UITabLayout.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;

class WindowMessageTest : public MainWindowTest { };

TEST_F(WindowMessageTest, UpdateMessagesDriveTheDownloadPage)
{
    StartWindow();
    window().SendMessage(msg::UM_STARTUP, msg::kUpdateNone, reinterpret_cast<LPARAM>(L"已经是最新版本！"));
    EXPECT_EQ(boxes().Count(), 0u);
    EXPECT_EQ(MainWindowPage(), 0);

    window().BeginWait();
    window().SendMessage(msg::UM_STARTUP, msg::kUpdateDownloading, 0);
    EXPECT_FALSE(IsWaiting());
    EXPECT_EQ(MainWindowPage(), 2);

    window().SendMessage(msg::UM_STARTUP, msg::kUpdateProgress, 37);
    EXPECT_EQ(FindAs<DuiLib::CProgressUI>(L"ProOfDownload")->GetValue(), 37);
    EXPECT_EQ(Find(L"LabOfDownload")->GetText(), L"已完成更新 37% ...");

    window().SendMessage(msg::UM_STARTUP, msg::kUpdateFailed, reinterpret_cast<LPARAM>(L"获取新版本失败！"));
    EXPECT_EQ(boxes().CountOf(L"获取新版本失败！", L"错误"), 1u);
    window().SendMessage(msg::UM_STARTUP, 9999, reinterpret_cast<LPARAM>(L"其他"));
    EXPECT_EQ(boxes().CountOf(L"其他", L"错误"), 1u);
    window().SendMessage(msg::UM_STARTUP, 9998, 0);
    EXPECT_EQ(boxes().CountOf(L"", L"错误"), 1u);
}

// The modal loop ends on the quit message a failed database (or a finished
// installer download) makes the window post.
class QuitCodeTest : public MainWindowTest, public ::testing::WithParamInterface<WPARAM> { };

TEST_P(QuitCodeTest, EndsTheModalLoop)
{
    StartWindow();
    // The worker starts from inside the modal loop, so its report comes
    // while the loop runs.
    std::thread task;
    RunOnUiThreadLater(
        [&] {
            task = std::thread([&] {
                window().GetMessageTarget().Send(
                    msg::UM_STARTUP, GetParam(), reinterpret_cast<LPARAM>(L"下载完成！"));
            });
        },
        0);
    window().ShowModal();
    task.join();
    EXPECT_EQ(boxes().Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    StartupCodes, QuitCodeTest, ::testing::Values(msg::kStartupDatabaseFailed, msg::kUpdateHandedOff));

TEST_F(WindowMessageTest, SendFromAWorkerBlocksUntilHandledAndPostsKeepTheirOrder)
{
    StartWindow();
    IMessageTarget& target = window().GetMessageTarget();
    std::atomic<bool> returned { false };
    std::atomic<bool> posted { false };
    std::thread worker([&] {
        for (int value = 1; value <= 5; ++value)
            target.Post(msg::UM_STARTUP, msg::kUpdateProgress, value * 10);
        posted = true;
        target.Send(msg::UM_STARTUP, msg::kUpdateProgress, 99);
        returned = true;
    });
    // Nothing is handled while the UI thread does not run its loop.
    while (!posted.load())
        std::this_thread::yield();
    EXPECT_FALSE(returned.load());
    EXPECT_NE(Find(L"LabOfDownload")->GetText(), L"已完成更新 99% ...");
    ASSERT_TRUE(WaitFor([&] { return returned.load(); }));
    worker.join();
    // The send came after the five posts, so it was handled last.
    EXPECT_EQ(Find(L"LabOfDownload")->GetText(), L"已完成更新 99% ...");
}

TEST_F(WindowMessageTest, UnknownMessagesAreLeftToDefaultProcessing)
{
    StartWindow();
    BOOL handled = TRUE;
    window().HandleCustomMessage(WM_USER + 500, 0, 0, handled);
    EXPECT_FALSE(handled);
    handled = FALSE;
    window().HandleCustomMessage(WM_DROPFILES, 0, 0, handled);
    EXPECT_TRUE(handled);
    // Sub-codes no page knows go unhandled too.
    handled = TRUE;
    window().HandleCustomMessage(msg::UM_DEVICES, 9999, 0, handled);
    EXPECT_FALSE(handled);
}

TEST_F(WindowMessageTest, TheMenuColumnSwitchesThePagesOfTheMainTab)
{
    StartWindow();
    SignInAs(L"demo", L"korvana123");
    // The end of the first device-list load brings the device page to the
    // front; the walk through the menu starts after it.
    ASSERT_TRUE(WaitFor([&] { return !window().Client().devices.devices.empty(); }, 15000));
    ASSERT_TRUE(WaitForTasks(15000));
    ASSERT_EQ(MainTabPage(), 2);
    struct Step {
        const wchar_t* option;
        int page;
        bool groupSelector;
    };
    const Step steps[]
        = { { L"OptOfAccount", 0, false }, { L"OptOfNotify", 4, false }, { L"OptOfAppTab", 5, false },
              { L"OptOfBuy", 3, false }, { L"OptOfCharge", 3, false }, { L"OptOfDevice", 2, true } };
    for (const Step& step : steps) {
        ASSERT_TRUE(ui().Click(step.option)) << "cannot click " << std::string(step.option, step.option + 3);
        // A page that loads on opening (the app market) leaves the wait state when its load ends.
        EXPECT_TRUE(WaitFor([&] { return !IsWaiting(); }));
        EXPECT_EQ(MainTabPage(), step.page);
        EXPECT_EQ(Find(L"ListOfDeviceGroupSel")->IsVisible(), step.groupSelector);
        // A page that loads on its option waits for its result.
        EXPECT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    }
    ASSERT_TRUE(ui().Click(L"OptOfCharge"));
    EXPECT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(Find(L"LabOfBalanceCharge")->GetText(), L"账户当前积分：" + window().Client().user.pointsText);
    EXPECT_FALSE(Find(L"BtnOfPay")->IsVisible());
    ASSERT_TRUE(ui().Click(L"OptOfBuy"));
    EXPECT_TRUE(Find(L"BtnOfPay")->IsVisible());

    // Back to the device page: the purchase page's tab is reset.
    FindAs<DuiLib::CTabLayoutUI>(L"TabOfBuy")->SelectItem(2);
    ASSERT_TRUE(ui().Click(L"OptOfSetting"));
    EXPECT_EQ(MainTabPage(), 1);
    EXPECT_EQ(FindAs<DuiLib::CTabLayoutUI>(L"TabOfBuy")->GetCurSel(), 0);
}

// Opened by the test once the window has gone.
std::atomic<bool> g_lateReportMayGo { false };

void ReportLate(ClientManager& owner, TaskArg)
{
    g_lateReportMayGo.wait(false);
    owner.Send(msg::UM_LOGOUT, 0, L"too late");
}

TEST_F(WindowMessageTest, TheEndOfTheWindowReleasesATaskStillRunning)
{
    StartWindow();
    SignInAs(L"demo", L"korvana123");
    std::weak_ptr<ClientManager> state = window().ClientRef();
    g_lateReportMayGo = false;
    window().Start(ReportLate).Drop();
    // The task outlives the window: its message goes nowhere and the state
    // lives until the task lets go of it.
    window().ReleaseClient();
    g_lateReportMayGo = true;
    g_lateReportMayGo.notify_all();
    EndWindow();
    EXPECT_TRUE(state.expired());
    EXPECT_EQ(boxes().CountOf(L"too late", L"错误"), 0u);
}

} // namespace

namespace {

using namespace korvana::test;
namespace fs = std::filesystem;

class WindowStartTest : public MainWindowTest { };

TEST_F(WindowStartTest, ASkinWithoutABoundControlIsReportedAndTheWindowQuits)
{
    // The skin folder of the sources (this file is tests/app/window/ in them).
    const fs::path source = KORVANA_TEST_SOURCE_DIR;
    if (!fs::exists(source / "skin" / "MainWnd.xml"))
        GTEST_SKIP() << "the skin sources are not at " << source;
    TempDir skin;
    fs::copy(source / "skin", skin.path(), fs::copy_options::recursive);
    std::ifstream in(skin.path() / "MainWnd.xml");
    std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    const std::string name = "name=\"LabOfUpdate\"";
    ASSERT_NE(xml.find(name), std::string::npos);
    xml.replace(xml.find(name), name.size(), "name=\"LabOfSomethingElse\"");
    std::ofstream(skin.path() / "MainWnd.xml") << xml;
    DuiLib::CPaintManagerUI::SetResourcePath(skin.path().wstring());
    // No usable package under the window's resource id: the folder is read.
    static const char notAZip[] = "x";
    DuiLib::CPaintManagerUI::RegisterZipResource(CMainWnd::kSkinResourceId, notAZip, 1);

    CMainWnd window;
    ASSERT_TRUE(window.Create(nullptr, L"Korvana云手机"));
    EXPECT_FALSE(window.IsBound());
    EXPECT_EQ(boxes().CountOf(L"初始化界面控件句柄失败！", L"初始化错误"), 1u);
    // The quit message ends the modal loop at once; no ClientManager is made.
    window.ShowModal();
    EXPECT_EQ(window.ClientRef(), nullptr);
    DuiLib::CPaintManagerUI::SetResourcePath(L"");
    RegisterEmbeddedSkin();
}

TEST_F(WindowStartTest, AServiceThatIsDownAtStartFailsTheAutomaticLoginWithoutAHang)
{
    // A port nobody listens on.
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(socket);
    SetServiceAddress("127.0.0.1", ntohs(address.sin_port));

    Settings().SaveRememberedLogin(L"demo", L"korvana123");
    Settings().SetAutoLogin(true);
    StartWindow();
    ASSERT_TRUE(WaitFor([&] { return boxes().Count() > 0 && !IsWaiting(); }, 10000));
    EXPECT_EQ(boxes().CountOf(L"请求错误，请检查网络连接或尝试重启软件。", L"错误"), 1u);
    EXPECT_EQ(MainWindowPage(), 0);
    EXPECT_FALSE(window().IsLoggedIn());
}

} // namespace
