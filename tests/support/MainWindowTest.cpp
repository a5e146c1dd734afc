#include "tests/support/MainWindowTest.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/LocalPaths.h"
#include "app/SettingsFile.h"
#include "app/Startup.h"
#include "app/Task.h"
#include "app/window/CMainWnd.h"
#include "app/window/Client.h"
#include "tests/support/QtApp.h"
#include "ui/UITabLayout.h"

namespace korvana::test {

void MainWindowTest::SetUp()
{
    ServiceTest::SetUp();
    EnsureQtApplication();
    m_dataHome = std::make_unique<ScopedEnv>("XDG_DATA_HOME", (folder() / "data").string());
    m_configHome = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (folder() / "config").string());
    m_tray = std::make_unique<TrayRecorder>(true);
    const LocalPaths& paths = InitLocalPaths((folder() / "data").string());
    DeleteStaleCookieFile(paths);
    ASSERT_TRUE(CreateDataFolders(paths));
    const SettingsFile settings(paths.settingsFile.narrow);
    WriteFirstRunSettings(settings);
    KeepAutoStartInStep(settings);
    UseCookieFile(paths);
    RegisterEmbeddedSkin();
}

void MainWindowTest::TearDown()
{
    EndWindow();
    m_tray.reset();
    m_configHome.reset();
    m_dataHome.reset();
    ServiceTest::TearDown();
}

SettingsFile MainWindowTest::Settings() const
{
    return SettingsFile(GetLocalPaths().settingsFile.narrow);
}

void MainWindowTest::StartWindow()
{
    m_window = std::make_unique<CMainWnd>();
    ASSERT_TRUE(m_window->Create(nullptr, L"Korvana云手机"));
    m_ui = std::make_unique<DuiLib::CUiDriver>(*m_window);
    m_ui->Show();
    ASSERT_TRUE(WaitFor([&] { return m_window->ClientRef() != nullptr && !IsWaiting(); }))
        << "the start-up task did not report";
}

void MainWindowTest::EndWindow()
{
    if (!m_window)
        return;
    m_ui.reset();
    m_window->ReleaseClient();
    EXPECT_TRUE(WaitForAllTasks(std::chrono::seconds(10)))
        << "a task was still running at the end of the test";
    m_window.reset();
}

DuiLib::CControlUI* MainWindowTest::Find(const std::wstring& name) const
{
    return m_window ? m_window->Paint().FindControl(name) : nullptr;
}

int MainWindowTest::MainWindowPage() const
{
    auto* tab = FindAs<DuiLib::CTabLayoutUI>(L"TabOfMainWnd");
    return tab ? tab->GetCurSel() : -1;
}

int MainWindowTest::MainTabPage() const
{
    auto* tab = FindAs<DuiLib::CTabLayoutUI>(L"TabOfMain");
    return tab ? tab->GetCurSel() : -1;
}

bool MainWindowTest::IsWaiting() const
{
    return m_window && m_window->Paint().IsWaitCursor();
}

void MainWindowTest::SignInAs(const std::wstring& name, const std::wstring& password)
{
    ASSERT_TRUE(Find(L"EditOfLoginName") && Find(L"EditOfLoginPwd"));
    Find(L"EditOfLoginName")->SetText(name);
    Find(L"EditOfLoginPwd")->SetText(password);
    ASSERT_TRUE(m_ui->Click(L"BtnOfLogin"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }, 10000)) << "the login did not report";
}

bool MainWindowTest::WaitFor(const std::function<bool()>& cond, int timeoutMs)
{
    return m_ui->WaitUntil(cond, timeoutMs);
}

bool MainWindowTest::WaitForTasks(int timeoutMs)
{
    return WaitFor([] { return RunningTaskCount() == 0; }, timeoutMs);
}

std::string MainWindowTest::PngPath(const std::string& name) const
{
    const char* chosen = std::getenv("KORVANA_PNG_DIR");
    const std::filesystem::path dir = chosen && *chosen
        ? std::filesystem::path(chosen)
        : std::filesystem::temp_directory_path() / "korvana-png";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return (dir / (name + ".png")).string();
}

} // namespace korvana::test
