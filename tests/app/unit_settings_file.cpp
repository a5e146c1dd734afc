#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Messages.h"
#include "app/SettingsFile.h"
#include "app/TrayMenu.h"
#include "platform/AutoStart.h"
#include "platform/IniFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace {

using korvana::test::ScopedEnv;
using korvana::test::TempDir;

class SettingsFileTest : public ::testing::Test {
protected:
    std::string Raw(const char* key) { return IniReadString("Login", key, "<missing>", settings.Path()); }
    void SetRaw(const char* key, const char* value) { IniWriteString("Login", key, value, settings.Path()); }

    TempDir dir;
    ScopedEnv config { "XDG_CONFIG_HOME", (dir.path() / "config").string() };
    SettingsFile settings { (dir.path() / "config.ini").string() };
};

TEST_F(SettingsFileTest, FirstRunDefaults)
{
    EXPECT_FALSE(settings.Exists());
    settings.WriteFirstRunDefaults();
    EXPECT_TRUE(settings.Exists());
    EXPECT_EQ(Raw("auto_login"), "0");
    EXPECT_EQ(Raw("remember_pwd"), "1");
    EXPECT_EQ(Raw("hide_inwin"), "1");
    EXPECT_EQ(Raw("auto_start"), "<missing>");
    EXPECT_EQ(settings.AutoStartAtStartup(), -1);
}

TEST_F(SettingsFileTest, RememberedLoginOnlyWhenRememberPwdIsSet)
{
    SetRaw("name", "alice");
    SetRaw("pwd", "secret");
    EXPECT_FALSE(settings.ReadRememberedLogin().remembered); // remember_pwd missing: 0
    SetRaw("remember_pwd", "0");
    auto login = settings.ReadRememberedLogin();
    EXPECT_FALSE(login.remembered);
    EXPECT_TRUE(login.name.empty());
    EXPECT_TRUE(login.password.empty());

    settings.SaveRememberedLogin(L"张三", L"p@ss word");
    login = settings.ReadRememberedLogin();
    EXPECT_TRUE(login.remembered);
    EXPECT_EQ(login.name, L"张三");
    EXPECT_EQ(login.password, L"p@ss word");
    EXPECT_EQ(Raw("name"), "\xD5\xC5\xC8\xFD"); // stored in code page 936

    settings.ClearRememberedLogin();
    EXPECT_EQ(Raw("remember_pwd"), "0");
    EXPECT_EQ(Raw("name"), "");
    EXPECT_EQ(Raw("pwd"), "");
}

TEST_F(SettingsFileTest, TextsComeBackAsTheCodePageAndTheBufferAllow)
{
    settings.SaveRememberedLogin(L"bob", L"pw\U0001F600");
    EXPECT_EQ(settings.ReadRememberedLogin().password, L"pw?");

    // 200 two-byte characters are 400 bytes; 259 bytes are read back, and the
    // half character at the end does not survive.
    settings.SaveRememberedLogin(std::wstring(200, L'张'), L"x");
    const std::wstring name = settings.ReadRememberedLogin().name;
    EXPECT_EQ(name.size(), 130u);
    EXPECT_EQ(name.substr(0, 129), std::wstring(129, L'张'));
}

TEST_F(SettingsFileTest, TrayChecksAndToggles)
{
    auto checks = settings.ReadTrayChecks();
    EXPECT_FALSE(checks.autoStart);
    EXPECT_FALSE(checks.autoLogin);
    EXPECT_TRUE(checks.hideInTray); // a missing hide_inwin shows as checked
    EXPECT_TRUE(settings.HideInTrayOnClose());

    // ... but the toggle reads the missing key as 0 and writes 1.
    EXPECT_TRUE(settings.ToggleHideInTray());
    EXPECT_EQ(Raw("hide_inwin"), "1");
    EXPECT_FALSE(settings.ToggleHideInTray());
    EXPECT_EQ(Raw("hide_inwin"), "0");
    EXPECT_FALSE(settings.HideInTrayOnClose());

    EXPECT_TRUE(settings.ToggleAutoLogin());
    EXPECT_TRUE(settings.AutoLogin());
    EXPECT_FALSE(settings.ToggleAutoLogin());
    EXPECT_EQ(Raw("auto_login"), "0");
}

TEST_F(SettingsFileTest, AutoStartToggleAddsAndRemovesTheEntryAtOnce)
{
    const std::string entry = AutoStartEntryPath("korvanClient");
    EXPECT_TRUE(settings.ToggleAutoStart());
    EXPECT_EQ(Raw("auto_start"), "1");
    EXPECT_TRUE(std::filesystem::exists(entry));
    EXPECT_FALSE(settings.ToggleAutoStart());
    EXPECT_EQ(Raw("auto_start"), "0");
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(SettingsFileTest, TrayMenuShowsTheMarksAndItsCommandsToggle)
{
    SetRaw("auto_start", "1");
    SetRaw("auto_login", "0");
    auto items = TrayMenuItems(settings);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].id, msg::kMenuAutoStart);
    EXPECT_EQ(items[0].text, L"开机启动");
    EXPECT_TRUE(items[0].checked);
    EXPECT_EQ(items[1].text, L"自动登录");
    EXPECT_FALSE(items[1].checked);
    EXPECT_EQ(items[2].text, L"隐藏到任务栏");
    EXPECT_TRUE(items[2].checked);
    EXPECT_EQ(items[3].id, msg::kMenuQuit);
    EXPECT_EQ(items[3].text, L"退出");
    EXPECT_FALSE(items[3].checkable);

    EXPECT_EQ(HandleTrayCommand(msg::kMenuAutoLogin, settings), TrayCommandResult::Toggled);
    EXPECT_TRUE(TrayMenuItems(settings)[1].checked);
    EXPECT_EQ(HandleTrayCommand(msg::kMenuHideInTray, settings), TrayCommandResult::Toggled);
    EXPECT_EQ(Raw("hide_inwin"), "1");
    EXPECT_EQ(HandleTrayCommand(msg::kMenuAutoStart, settings), TrayCommandResult::Toggled);
    EXPECT_EQ(Raw("auto_start"), "0");
    EXPECT_EQ(HandleTrayCommand(msg::kMenuQuit, settings), TrayCommandResult::QuitRequested);
    EXPECT_EQ(HandleTrayCommand(msg::kGroupMenuFirstId, settings), TrayCommandResult::NotATrayItem);
}

TEST_F(SettingsFileTest, AnUnreadableFileGivesTheDefaultsAndIsNotReplaced)
{
    std::filesystem::create_directory(settings.Path());
    EXPECT_FALSE(settings.ReadRememberedLogin().remembered);
    EXPECT_TRUE(settings.HideInTrayOnClose());
    EXPECT_EQ(settings.AutoStartAtStartup(), -1);
    settings.SaveRememberedLogin(L"a", L"b"); // refused, silently
    EXPECT_TRUE(std::filesystem::is_directory(settings.Path()));
}

} // namespace
