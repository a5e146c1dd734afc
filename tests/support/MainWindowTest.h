#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "tests/support/DesktopHooks.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ServiceTest.h"
#include "ui/UIAutomation.h"

class CMainWnd;
class SettingsFile;

namespace DuiLib {
class CControlUI;
}

namespace korvana::test {

// The fixture of ui tests that drive the real main window against
// korvana-service, offscreen. Before each test: the service reset to the demo
// world, a per-test data folder as the per-user folder (config and autostart
// folders in it too), the start-up steps that need no lock, the embedded
// skin, and every desktop facility hooked (boxes answered 确定 and recorded,
// URLs recorded, menus answered with 0, a tray that exists). The window is
// made by StartWindow (tests may write settings first) and closed and let go
// after each test, once no task runs any more.
//
//   class SignInTest : public korvana::test::MainWindowTest {};
//   TEST_F(SignInTest, DemoLogin) {
//       StartWindow();
//       SignInAs(L"demo", L"korvana123");
//       EXPECT_EQ(MainWindowPage(), 1);
//   }
class MainWindowTest : public ServiceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The settings file of this test (exists after SetUp: the first-run keys).
    SettingsFile Settings() const;

    // Creates and shows the window and waits until the start-up task has
    // reported (the wait state is over).
    void StartWindow();
    // Closes the window as the entry routine does at the end (nothing asked),
    // and lets it go. Safe to call twice.
    void EndWindow();

    CMainWnd& window() { return *m_window; }
    DuiLib::CUiDriver& ui() { return *m_ui; }
    MessageBoxRecorder& boxes() { return m_boxes; }
    UrlRecorder& urls() { return m_urls; }
    PopupMenuStub& menus() { return m_menus; }
    TrayRecorder& tray() { return *m_tray; }

    DuiLib::CControlUI* Find(const std::wstring& name) const;
    template <class T> T* FindAs(const std::wstring& name) const { return dynamic_cast<T*>(Find(name)); }
    // The pages shown by TabOfMainWnd and TabOfMain.
    int MainWindowPage() const;
    int MainTabPage() const;
    bool IsWaiting() const;

    // Types name and password into the sign-in page, clicks 登录 and waits
    // for the login's result (the wait state over).
    void SignInAs(const std::wstring& name, const std::wstring& password);
    // Waits (handling events) until cond holds; false after timeoutMs.
    bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 5000);
    // Waits until every task of the process has ended, handling events.
    bool WaitForTasks(int timeoutMs = 5000);

    // Where window PNGs go: $KORVANA_PNG_DIR, else <tmp>/korvana-png/.
    std::string PngPath(const std::string& name) const;

private:
    std::unique_ptr<ScopedEnv> m_dataHome;
    std::unique_ptr<ScopedEnv> m_configHome;
    MessageBoxRecorder m_boxes;
    UrlRecorder m_urls;
    PopupMenuStub m_menus;
    std::unique_ptr<TrayRecorder> m_tray;
    std::unique_ptr<CMainWnd> m_window;
    std::unique_ptr<DuiLib::CUiDriver> m_ui;
};

} // namespace korvana::test
