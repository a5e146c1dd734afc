#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Page.h"
#include "app/Shell.h"
#include "platform/TrayIcon.h"
#include "ui/UIShadow.h"
#include "ui/UIWindow.h"

namespace DuiLib {
class CButtonUI;
class CLabelUI;
class CProgressUI;
class CTabLayoutUI;
}  // namespace DuiLib

class MainTabPage;
class SignPage;

// The one top-level window of the client and the controller behind it: it
// loads MainWnd.xml from the embedded skin, owns the ClientManager and the
// pages, routes every notification by the sender's userdata and every custom
// message by its id to the pages, and keeps what belongs to the window
// itself: the tray icon and menu, the close decision, the sign-out, the
// start-up messages and the steps after a login.
class CMainWnd final : public DuiLib::WindowImplBase, public IShell {
public:
    // The skin package's resource id.
    static constexpr int kSkinResourceId = 105;

    CMainWnd();
    ~CMainWnd() override;

    // --- WindowImplBase
    std::wstring GetWindowClassName() const override { return L"CMainWnd"; }
    void InitWindow() override;
    std::wstring GetSkinFolder() override { return {}; }
    std::wstring GetSkinFile() override { return L"MainWnd.xml"; }
    DuiLib::UILIB_RESOURCETYPE GetResourceType() const override { return DuiLib::UILIB_ZIPRESOURCE; }
    std::wstring GetZIPFileName() const override { return {}; }
    int GetResourceID() const override { return kSkinResourceId; }
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void Notify(DuiLib::TNotifyUI& msg) override;

    // --- IShell
    DuiLib::CPaintManagerUI& Paint() override { return m_pm; }
    WindowHandle Owner() override;
    ClientManager& Client() override { return *m_client; }
    const std::shared_ptr<ClientManager>& ClientRef() override { return m_client; }
    TaskHandle StartBody(std::unique_ptr<TaskBody> body) override;
    void BeginWait() override { BeginWaitCursor(); }
    void EndWait() override { EndWaitCursor(); }
    void GenericFailure(const std::wstring& text) override;
    void SignIn() override;
    void OnLoggedIn() override;
    void SignOut() override;
    void RequestClose(unsigned code) override { Close(code); }
    void ShowTrayMenu() override;
    IAccountActions* Account() override { return m_account; }
    IDeviceActions* Devices() override { return m_devices; }
    IControlActions* Control() override { return m_control; }
    ICommerceActions* Commerce() override { return m_commerce; }
    IMarketActions* Market() override { return m_market; }
    INotifyActions* Notices() override { return m_notices; }

    // True after the first successful login of this sign-in.
    bool IsLoggedIn() const { return m_loggedIn; }
    // False when InitWindow found a control missing (the window then quits).
    bool IsBound() const { return m_bound; }
    TrayIcon& Tray() { return m_tray; }
    const DuiLib::CWndShadow& Shadow() const { return m_shadow; }

    // The end of the window: the queue detached, the ClientManager let go
    // once no task is inside the window any more. Called by the destructor;
    // the entry routine calls it before it ends the process.
    void ReleaseClient();

private:
    void CreatePageSet();
    bool BindControls();
    void OnWindowInit();
    void OnStartupMessage(WPARAM code, LPARAM lParam);
    void OnTrayMessage(LPARAM mouseMessage, BOOL& bHandled);
    void OnCommand(UINT id);
    bool RouteNotify(DuiLib::TNotifyUI& msg);
    bool RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void HideToTray();
    void AddTrayIcon();
    void ShowMainWindowPage(int page);

    std::shared_ptr<ClientManager> m_client;
    TrayIcon m_tray;
    DuiLib::CWndShadow m_shadow;
    bool m_loggedIn = false;
    bool m_bound = false;
    bool m_signingOut = false;

    std::vector<std::unique_ptr<IPage>> m_pages;
    std::vector<std::pair<std::wstring, IPage*>> m_routes;
    std::map<UINT, std::vector<IPage*>> m_messageRoutes;
    SignPage* m_signPage = nullptr;
    MainTabPage* m_mainTab = nullptr;
    IAccountActions* m_account = nullptr;
    IDeviceActions* m_devices = nullptr;
    IControlActions* m_control = nullptr;
    ICommerceActions* m_commerce = nullptr;
    IMarketActions* m_market = nullptr;
    INotifyActions* m_notices = nullptr;

    DuiLib::CTabLayoutUI* m_tabOfMainWnd = nullptr;
    DuiLib::CButtonUI* m_btnOfSetting = nullptr;
    DuiLib::CButtonUI* m_btnOfLogin = nullptr;
    DuiLib::CProgressUI* m_proOfDownload = nullptr;
    DuiLib::CLabelUI* m_labOfDownload = nullptr;
};
