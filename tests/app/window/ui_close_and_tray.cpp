// The close decision, the tray icon and the tray menu of the real window.
#include <gtest/gtest.h>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/SettingsFile.h"
#include "app/actions/AccountActions.h"
#include "app/window/CMainWnd.h"
#include "platform/AutoStart.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UICheckBox.h"

namespace {

using namespace korvana::test;

class CloseTest : public MainWindowTest {
protected:
    void SignedIn()
    {
        StartWindow();
        SignInAs(L"demo", L"korvana123");
        ASSERT_EQ(MainWindowPage(), 1);
        // The first loads hold the wait state, which keeps clicks away from
        // the controls: the tests click after them.
        ASSERT_TRUE(
            WaitFor([&] { return !window().Client().devices.devices.empty() && !IsWaiting(); }, 15000));
        ASSERT_TRUE(WaitForTasks(15000));
    }
    // A close request as the window system or a caption button makes it.
    void RequestClose(unsigned code)
    {
        window().Close(code);
        ui().ProcessEvents(50);
    }
};

TEST_F(CloseTest, ClosingOnTheSignInPageEndsAtOnceWhateverHideInWinSays)
{
    StartWindow();
    ASSERT_TRUE(Settings().HideInTrayOnClose());
    ASSERT_TRUE(ui().Click(L"closebtn"));
    ui().ProcessEvents(50);
    EXPECT_TRUE(window().IsDestroyed());
    EXPECT_EQ(boxes().Count(), 0u);
}

TEST_F(CloseTest, ClosingWhileSignedInHidesToTheTrayAndAClickBringsItBack)
{
    SignedIn();
    ASSERT_TRUE(ui().Click(L"closebtn"));
    ui().ProcessEvents(50);
    EXPECT_FALSE(window().IsDestroyed());
    EXPECT_FALSE(window().IsWindowVisible());
    EXPECT_EQ(boxes().Count(), 0u);
    EXPECT_TRUE(window().IsLoggedIn());

    window().Tray().DeliverMouseMessage(WM_LBUTTONUP);
    ui().ProcessEvents(20);
    EXPECT_TRUE(window().IsWindowVisible());
    EXPECT_FALSE(window().IsMinimized());
}

TEST_F(CloseTest, WithoutATrayHideToTrayMinimisesInstead)
{
    SignedIn();
    SetTrayAvailabilityForTesting(0);
    RequestClose(msg::kCloseFromCaption);
    SetTrayAvailabilityForTesting(1);
    EXPECT_FALSE(window().IsDestroyed());
    EXPECT_TRUE(window().IsMinimized());
}

TEST_F(CloseTest, WithHideInWinOffTheUserIsAskedAndCancelKeepsEverything)
{
    SignedIn();
    Settings().WriteFlag(SettingsFile::kHideInWin, false);
    boxes().Answer(MessageBoxAnswer::Cancel);
    RequestClose(msg::kCloseFromCaption);
    ASSERT_EQ(boxes().CountOf(L"要退出么？", L"提示"), 1u);
    EXPECT_EQ(boxes().Boxes()[0].buttons, MessageBoxButtons::OkCancel);
    EXPECT_EQ(boxes().Boxes()[0].icon, MessageBoxIcon::Warning);
    EXPECT_FALSE(window().IsDestroyed());
    EXPECT_TRUE(window().IsLoggedIn());
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_user_logout").empty());
}

TEST_F(CloseTest, QuitFromTheTrayAsksEvenWithHideInWinAndOkSignsOutAndEnds)
{
    SignedIn();
    // 退出 through the menu of BtnOfSetting, answered with Cancel first.
    menus().SetAnswer(msg::kMenuQuit);
    boxes().Answer(MessageBoxAnswer::Cancel);
    ASSERT_TRUE(ui().Click(L"BtnOfSetting"));
    ui().ProcessEvents(50);
    ASSERT_EQ(boxes().CountOf(L"要退出么？", L"提示"), 1u);
    EXPECT_FALSE(window().IsDestroyed());
    EXPECT_TRUE(window().IsWindowVisible());
    EXPECT_EQ(MainWindowPage(), 1);

    // Then from the tray icon's menu, answered with OK.
    window().Tray().DeliverMouseMessage(WM_RBUTTONUP);
    ui().ProcessEvents(50);
    EXPECT_EQ(boxes().CountOf(L"要退出么？", L"提示"), 2u);
    EXPECT_TRUE(window().IsDestroyed());
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_logout").size(), 1u);
}

TEST_F(CloseTest, CloseWithoutQuestionSignsOutAndEnds)
{
    SignedIn();
    RequestClose(msg::kCloseNoQuestion);
    EXPECT_EQ(boxes().Count(), 0u);
    EXPECT_TRUE(window().IsDestroyed());
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_logout").size(), 1u);
}

// Tasks that the ended session answers while the sign-out waits for its
// logout show no "请重新登陆！" box over the closing window.
TEST_F(CloseTest, AnExpiredSessionAnsweredDuringTheSignOutShowsNoBox)
{
    SignedIn();
    ASSERT_TRUE(WaitForTasks());
    control().ClearLog();
    control().InjectFault({ { "path", "/api/qtz/front_user_logout" }, { "delay_ms", 400 }, { "times", 1 } });
    control().InjectFault({ { "path", "/api/qtz/front_user_get_info" },
        { "body", R"({"status":false,"message":"-1000"})" }, { "delay_ms", 100 }, { "times", 1 } });
    window().Account().RefreshUserInfo();
    RequestClose(msg::kCloseNoQuestion);
    EXPECT_TRUE(window().IsDestroyed());
    // The sign-out aborts the refresh: it may not even have gone out.
    EXPECT_LE(control().RequestsTo("/api/qtz/front_user_get_info").size(), 1u);
    EXPECT_EQ(boxes().Count(), 0u);
}

TEST_F(CloseTest, TheTrayMenuShowsTheSettingsAndItsItemsToggleThem)
{
    SignedIn();
    Settings().WriteFlag(SettingsFile::kAutoLogin, false);
    menus().SetAnswer(msg::kMenuAutoLogin);
    ASSERT_TRUE(ui().Click(L"BtnOfSetting"));
    ui().ProcessEvents(50);
    auto shown = menus().Menus();
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(shown[0].size(), 4u);
    EXPECT_EQ(shown[0][0].text, L"开机启动");
    EXPECT_TRUE(shown[0][0].checked); // the first run turned it on
    EXPECT_FALSE(shown[0][1].checked); // 自动登录
    EXPECT_TRUE(shown[0][2].checked); // 隐藏到任务栏
    EXPECT_EQ(shown[0][3].text, L"退出");
    EXPECT_EQ(Settings().ReadInt(SettingsFile::kAutoLogin, -1), 1);

    menus().SetAnswer(msg::kMenuHideInTray);
    window().Tray().DeliverMouseMessage(WM_RBUTTONUP);
    ui().ProcessEvents(50);
    EXPECT_EQ(Settings().ReadInt(SettingsFile::kHideInWin, -1), 0);
    EXPECT_TRUE(menus().Menus()[1][1].checked);

    ASSERT_TRUE(std::filesystem::exists(AutoStartEntryPath("korvanClient")));
    menus().SetAnswer(msg::kMenuAutoStart);
    window().Tray().DeliverMouseMessage(WM_RBUTTONUP);
    ui().ProcessEvents(50);
    EXPECT_EQ(Settings().ReadInt(SettingsFile::kAutoStart, -1), 0);
    EXPECT_FALSE(std::filesystem::exists(AutoStartEntryPath("korvanClient")));

    // A dismissed menu changes nothing.
    menus().SetAnswer(0);
    window().Tray().DeliverMouseMessage(WM_RBUTTONUP);
    ui().ProcessEvents(50);
    EXPECT_EQ(Settings().ReadInt(SettingsFile::kAutoStart, -1), 0);
    EXPECT_FALSE(window().IsDestroyed());
}

TEST_F(CloseTest, TheSettingsPageShowsTheSettingsAndWritesThemAsTheTrayMenuDoes)
{
    SignedIn();
    auto box = [&](const wchar_t* name) { return FindAs<DuiLib::CCheckBoxUI>(name); };
    // First run: auto_start=1 and hide_inwin=1, as the ≡ menu shows them.
    ASSERT_TRUE(ui().Click(L"OptOfSetting"));
    EXPECT_EQ(MainTabPage(), 1);
    EXPECT_TRUE(box(L"CBoxOfOnStartUp")->IsSelected());
    EXPECT_FALSE(box(L"CBoxOfAutologin")->IsSelected());
    EXPECT_TRUE(box(L"CBoxOfMinToTray")->IsSelected());

    ASSERT_TRUE(ui().Click(L"CBoxOfOnStartUp"));
    EXPECT_EQ(Settings().ReadInt(SettingsFile::kAutoStart, -1), 0);
    EXPECT_FALSE(std::filesystem::exists(AutoStartEntryPath("korvanClient")));
    ASSERT_TRUE(ui().Click(L"CBoxOfAutologin"));
    EXPECT_EQ(Settings().ReadInt(SettingsFile::kAutoLogin, -1), 1);
    ASSERT_TRUE(ui().Click(L"CBoxOfMinToTray"));
    EXPECT_EQ(Settings().ReadInt(SettingsFile::kHideInWin, -1), 0);
    ASSERT_TRUE(ui().Click(L"CBoxOfOnStartUp"));
    EXPECT_EQ(Settings().ReadInt(SettingsFile::kAutoStart, -1), 1);
    EXPECT_TRUE(std::filesystem::exists(AutoStartEntryPath("korvanClient")));

    // The tray menu shows what the page wrote, and the page what it toggles.
    menus().SetAnswer(msg::kMenuAutoLogin);
    ASSERT_TRUE(ui().Click(L"BtnOfSetting"));
    ui().ProcessEvents(50);
    ASSERT_EQ(menus().Menus().size(), 1u);
    EXPECT_TRUE(menus().Menus()[0][0].checked);
    EXPECT_TRUE(menus().Menus()[0][1].checked);
    EXPECT_FALSE(menus().Menus()[0][2].checked);
    EXPECT_EQ(Settings().ReadInt(SettingsFile::kAutoLogin, -1), 0);
    EXPECT_FALSE(box(L"CBoxOfAutologin")->IsSelected());
}

TEST_F(CloseTest, OtherMouseMessagesOfTheTrayAreNotHandled)
{
    SignedIn();
    ASSERT_TRUE(ui().Click(L"closebtn"));
    ui().ProcessEvents(50);
    ASSERT_FALSE(window().IsWindowVisible());
    window().Tray().DeliverMouseMessage(WM_MOUSEMOVE);
    window().Tray().DeliverMouseMessage(WM_MBUTTONUP);
    ui().ProcessEvents(20);
    EXPECT_FALSE(window().IsWindowVisible());
    EXPECT_TRUE(menus().Menus().empty());
    window().Tray().DeliverMouseMessage(WM_LBUTTONDBLCLK);
    ui().ProcessEvents(20);
    EXPECT_TRUE(window().IsWindowVisible());
}

TEST_F(CloseTest, ADownloadPageWithoutTrayIconIsMinimisedNotHidden)
{
    StartWindow();
    window().SendMessage(msg::UM_STARTUP, msg::kUpdateDownloading, 0);
    ASSERT_EQ(MainWindowPage(), 2);
    RequestClose(msg::kCloseFromCaption);
    EXPECT_FALSE(window().IsDestroyed());
    EXPECT_TRUE(window().IsMinimized());
}

} // namespace
